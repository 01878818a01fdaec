#include "coil_menu.h"

#include <array>

#include "ladder/ladder_codes.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    NonRetentiveText = 119,
    RetentiveText = 4285,
};

enum class CoilText {
    Contactor,
    Impulse,
    Set,
    Reset,
    DeleteCoil,
    DeleteLine,
    InsertLine,
    Trigger,
    ResetInput,
    Counting,
    Direction,
    Enable,
    ResetAll,
    Properties,
    Count
};

using CoilTexts = std::array<const char*, static_cast<int>(CoilText::Count)>;

// Accelerators are unique within every menu a language builds, the retentive entries included.
constexpr CoilTexts kEnglishCoilTexts = {
    "State C&hange: Contactor",
    "Le&vel Change: Remote Control",
    "Bistable: &Set",
    "Bistable: R&eset",
    "De&lete Coil",
    "Line &Delete",
    "Line &Insert",
    "&Trigger Input",
    "R&eset Input",
    "Co&unting Input",
    "Di&rection Input",
    "E&nable Input",
    "Reset &All Input",
    "Pr&operties",
};

constexpr CoilTexts kPortugueseCoilTexts = {
    "Mudança de es&tado: Contator",
    "Mudança de níve&l: Controle remoto",
    "Biestável: Li&gar",
    "Biestável: &Desligar",
    "E&xcluir bobina",
    "Excluir lin&ha",
    "&Inserir linha",
    "Entrada de dis&paro",
    "Entrada de &reset",
    "Entrada co&ntador",
    "Entrada de &direção",
    "Entrada de h&abilitação",
    "Entrada de reset &geral",
    "Pr&opriedades",
};

constexpr CoilTexts kPolishCoilTexts = {
    "Zmiana &stanu: stycznik",
    "Zmiana &poziomu: zdalne sterowanie",
    "Bistabilny: &ustaw",
    "Bistabilny: &kasuj",
    "Usuń &cewkę",
    "Usuń &linię",
    "&Wstaw linię",
    "Wejście wy&zwalające",
    "Wejście &kasujące",
    "Wejście &zliczające",
    "Wejście kie&runku",
    "Wejście z&ezwalające",
    "Wejście k&asowania całości",
    "Właściw&ości",
};

constexpr CoilTexts kSpanishCoilTexts = {
    "Cambio de es&tado: Contactor",
    "Cambio de ni&vel: Control remoto",
    "Biestable: &Activar",
    "Biestable: &Desactivar",
    "E&liminar bobina",
    "Eliminar lín&ea",
    "In&sertar línea",
    "Entrada de dis&paro",
    "Entrada de &reset",
    "Entrada &contador",
    "Entrada d&irección",
    "Entrada de &habilitación",
    "Entrada de reset &total",
    "Pr&opiedades",
};

const CoilTexts& coilTexts(int languageOffset) {
    switch (languageOffset) {
        case Portuguese:
            return kPortugueseCoilTexts;
        case Polish:
            return kPolishCoilTexts;
        case Spanish:
            return kSpanishCoilTexts;
        default:
            return kEnglishCoilTexts;
    }
}

}  // namespace

std::vector<CoilMenuEntry> CoilMenuEntries(char letter, int languageOffset) {
    using Kind = CoilMenuEntry::Kind;
    const CoilTexts& texts = coilTexts(languageOffset);
    std::vector<CoilMenuEntry> entries;
    auto add = [&](Kind kind, CoilText text, std::uint16_t code = 0) {
        entries.push_back({kind, QString::fromUtf8(texts[static_cast<int>(text)]), code});
    };
    auto separator = [&] { entries.push_back({Kind::Separator, QString(), 0}); };
    // Every menu ends with the coil and line commands; block coils add their dialog.
    auto commands = [&](bool properties) {
        separator();
        add(Kind::DeleteCoil, CoilText::DeleteCoil);
        separator();
        add(Kind::DeleteLine, CoilText::DeleteLine);
        add(Kind::InsertLine, CoilText::InsertLine);
        if (properties) {
            separator();
            add(Kind::Properties, CoilText::Properties);
        }
    };

    switch (letter) {
        case 'Q':
        case 'U':
        case 'V':
        case 'W':
        case 'M':
            add(Kind::Function, CoilText::Contactor, CoilContactor);
            add(Kind::Function, CoilText::Impulse, CoilImpulse);
            add(Kind::Function, CoilText::Set, CoilSet);
            add(Kind::Function, CoilText::Reset, CoilReset);
            if (letter == 'M') {
                separator();
                const int offset = &texts == &kEnglishCoilTexts ? int(English) : languageOffset;
                entries.push_back({Kind::Retentive, LoadText(RetentiveText, offset), 0});
                entries.push_back({Kind::NonRetentive, LoadText(NonRetentiveText, offset), 0});
            }
            commands(false);
            break;
        case 'T':
        case 'X':
            add(Kind::Function, CoilText::Trigger, letter == 'T' ? CoilTrigger : CoilContactor);
            add(Kind::Function, CoilText::ResetInput, CoilReset);
            commands(true);
            break;
        case 'C':
            add(Kind::Function, CoilText::Counting, CoilCount);
            add(Kind::Function, CoilText::ResetInput, CoilReset);
            add(Kind::Function, CoilText::Direction, CoilDirection);
            commands(true);
            break;
        case 'H':
            add(Kind::Function, CoilText::Enable, CoilEnable);
            add(Kind::Function, CoilText::ResetInput, CoilReset);
            add(Kind::Function, CoilText::ResetAll, CoilResetAll);
            commands(true);
            break;
        default:
            break;
    }
    return entries;
}

}  // namespace bdx
