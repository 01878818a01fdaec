#include "rule_messages.h"

#include <array>

#include "shell/language_table.h"

namespace bdx {

namespace {

struct MessageTexts {
    RuleMessage id;
    const char* english;  // nullptr: the text comes from the language table
    const char* portuguese;
    const char* spanish;
    const char* polish;
};

// The English texts are what users of earlier versions know, blanks and wording included.
constexpr std::array<MessageTexts, kRuleMessageCount> kMessages = {{
    {RuleMessage::ImproperConnection, "Improper Connection", "Conexão incorreta", "Conexión incorrecta",
     "Nieprawidłowe połączenie"},
    {RuleMessage::ImproperOrMissingConnection, "Improper or missing Connection",
     "Conexão incorreta ou ausente", "Conexión incorrecta o faltante",
     "Nieprawidłowe lub brakujące połączenie"},
    {RuleMessage::LeftConnectionMissing, "Left connection missing", "Falta a conexão à esquerda",
     "Falta la conexión izquierda", "Brak połączenia z lewej"},
    {RuleMessage::RightConnectionMissing, "Right connection missing", "Falta a conexão à direita",
     "Falta la conexión derecha", "Brak połączenia z prawej"},
    {RuleMessage::UpNotRequired, "UP Connection not required", "Conexão para CIMA desnecessária",
     "Conexión hacia ARRIBA innecesaria", "Połączenie w GÓRĘ niepotrzebne"},
    {RuleMessage::UpOpen, "UP Connection open or not required", "Conexão para CIMA aberta ou desnecessária",
     "Conexión hacia ARRIBA abierta o innecesaria", "Połączenie w GÓRĘ otwarte lub niepotrzebne"},
    {RuleMessage::DownOpen, "DOWN Connection open or not required",
     "Conexão para BAIXO aberta ou desnecessária", "Conexión hacia ABAJO abierta o innecesaria",
     "Połączenie w DÓŁ otwarte lub niepotrzebne"},
    {RuleMessage::DownNotRequired, "DOWN Connection not required", "Conexão para BAIXO desnecessária",
     "Conexión hacia ABAJO innecesaria", "Połączenie w DÓŁ niepotrzebne"},
    {RuleMessage::RungWithoutInput, "Rung without input", "Degrau sem entrada", "Escalón sin entrada",
     "Szczebel bez wejścia"},
    {RuleMessage::RungWithoutOutput, "Rung without output", "Degrau sem saída", "Escalón sin salida",
     "Szczebel bez wyjścia"},

    {RuleMessage::CoilNotDefined, "Coil %1 should be defined, since it is used as a contact",
     "A bobina %1 deve ser definida, pois é usada como contato",
     "La bobina %1 debe estar definida, ya que se usa como contacto",
     "Cewka %1 musi być zdefiniowana, ponieważ jest używana jako styk"},
    {RuleMessage::CoilMoreThanOnce, "Coil %1 is assigned more than once",
     "A bobina %1 está atribuída mais de uma vez", "La bobina %1 está asignada más de una vez",
     "Cewka %1 jest przypisana więcej niż raz"},
    {RuleMessage::CoilMultipleWays, "Coil %1 is assigned in multiple ways",
     "A bobina %1 está atribuída de várias maneiras", "La bobina %1 está asignada de varias maneras",
     "Cewka %1 jest przypisana na kilka sposobów"},
    {RuleMessage::CoilSetResetImproper, "Coil %1 Set/ Reset Improper", "Set/Reset incorreto na bobina %1",
     "Set/Reset incorrecto en la bobina %1", "Nieprawidłowe Set/Reset cewki %1"},
    {RuleMessage::CoilRetentivityError, "Coil %1 Set/ Reset Retentivity Properties Error",
     "Erro nas propriedades de retenção de Set/Reset da bobina %1",
     "Error en las propiedades de retención de Set/Reset de la bobina %1",
     "Błąd właściwości podtrzymania Set/Reset cewki %1"},

    {RuleMessage::TimerNeedsTrigger, "Timer T%1 must have Trigger input in Coil column",
     "O temporizador T%1 deve ter a entrada de disparo na coluna de bobinas",
     "El temporizador T%1 debe tener la entrada de disparo en la columna de bobinas",
     "Licznik czasu T%1 musi mieć wejście wyzwalające w kolumnie cewek"},
    {RuleMessage::TimerPresetZero, "Timer T%1 must have non-zero Preset Time",
     "O temporizador T%1 deve ter um tempo predefinido diferente de zero",
     "El temporizador T%1 debe tener un tiempo preseleccionado distinto de cero",
     "Licznik czasu T%1 musi mieć niezerowy czas zadany"},
    {RuleMessage::TimerTriggerTwice, "Timer T%1 Trigger is used more than then once",
     "A entrada de disparo do temporizador T%1 é usada mais de uma vez",
     "La entrada de disparo del temporizador T%1 se usa más de una vez",
     "Wejście wyzwalające licznika czasu T%1 jest użyte więcej niż raz"},
    {RuleMessage::TimerResetTwice, "Timer T%1 Reset is used more than then once",
     "O reset do temporizador T%1 é usado mais de uma vez",
     "El reset del temporizador T%1 se usa más de una vez",
     "Wejście kasujące licznika czasu T%1 jest użyte więcej niż raz"},

    {RuleMessage::CounterNeedsCount, "Counter C%1 must have Count input in Coil column",
     "O contador C%1 deve ter a entrada de contagem na coluna de bobinas",
     "El contador C%1 debe tener la entrada de conteo en la columna de bobinas",
     "Licznik C%1 musi mieć wejście zliczające w kolumnie cewek"},
    {RuleMessage::CounterCountTwice, "Counter C%1 Count Input is used more than then once",
     "A entrada de contagem do contador C%1 é usada mais de uma vez",
     "La entrada de conteo del contador C%1 se usa más de una vez",
     "Wejście zliczające licznika C%1 jest użyte więcej niż raz"},
    {RuleMessage::CounterResetTwice, "Counter C%1 Reset is used more than then once",
     "O reset do contador C%1 é usado mais de uma vez", "El reset del contador C%1 se usa más de una vez",
     "Wejście kasujące licznika C%1 jest użyte więcej niż raz"},
    {RuleMessage::CounterDirectionTwice, "Counter C%1 Direction is used more than then once",
     "A entrada de direção do contador C%1 é usada mais de uma vez",
     "La entrada de dirección del contador C%1 se usa más de una vez",
     "Wejście kierunku licznika C%1 jest użyte więcej niż raz"},

    {RuleMessage::TextTriggerTwice, "Text X%1 Trigger Input is used more than then once",
     "A entrada de disparo do texto X%1 é usada mais de uma vez",
     "La entrada de disparo del texto X%1 se usa más de una vez",
     "Wejście wyzwalające tekstu X%1 jest użyte więcej niż raz"},
    {RuleMessage::TextTimerData, "Soft Text Message  X%1 contain  %2 data for Timer T%3",
     "A mensagem de texto X%1 contém dados %2 do temporizador T%3, que não está no programa",
     "El mensaje de texto X%1 contiene datos %2 del temporizador T%3, que no está en el programa",
     "Komunikat tekstowy X%1 zawiera dane %2 licznika czasu T%3"},
    {RuleMessage::TextCounterData, "Soft Text Message  X%1 contain  %2 data for Counter C%3",
     "A mensagem de texto X%1 contém dados %2 do contador C%3, que não está no programa",
     "El mensaje de texto X%1 contiene datos %2 del contador C%3, que no está en el programa",
     "Komunikat tekstowy X%1 zawiera dane %2 licznika C%3"},
    {RuleMessage::TextHourMeterData, "Soft Text Message  X%1 contain  %2 data for Hour Meter H%3",
     "A mensagem de texto X%1 contém dados %2 do horímetro H%3, que não está no programa",
     "El mensaje de texto X%1 contiene datos %2 del horómetro H%3, que no está en el programa",
     "Komunikat tekstowy X%1 zawiera dane %2 licznika godzin H%3"},
    {RuleMessage::TextAnalogData, "Soft Text Message  X%1 contain  V%2 Analog data.",
     "A mensagem de texto X%1 contém dados analógicos de V%2, indisponíveis neste modelo ou configuração.",
     "El mensaje de texto X%1 contiene datos analógicos de V%2, no disponibles en este modelo o "
     "configuración.",
     "Komunikat tekstowy X%1 zawiera dane analogowe V%2."},
    {RuleMessage::TextIncompatible,
     "Soft text message incompatibility error. Reconfigure Soft text message  X%1",
     "Erro de incompatibilidade na mensagem de texto. Reconfigure a mensagem de texto X%1",
     "Error de incompatibilidad en el mensaje de texto. Vuelva a configurar el mensaje de texto X%1",
     "Błąd niezgodności komunikatu tekstowego. Skonfiguruj ponownie komunikat tekstowy X%1"},

    {RuleMessage::ExtensionModuleNotSelected, "Extension Module %1 should be selected in Configuration",
     "O módulo de expansão %1 deve ser selecionado na configuração",
     "El módulo de expansión %1 debe seleccionarse en la configuración",
     "Moduł rozszerzeń %1 musi być wybrany w konfiguracji"},
    {RuleMessage::AnalogNotPermitted, "Analog functions are not permitted in AC model",
     "As funções analógicas não são permitidas no modelo AC",
     "Las funciones analógicas no están permitidas en el modelo AC",
     "Funkcje analogowe nie są dozwolone w modelu AC"},
    {RuleMessage::InputsSevenEightMissing, "Digital inputs 7 and 8 are not available in this model",
     "As entradas digitais 7 e 8 não estão disponíveis neste modelo",
     "Las entradas digitales 7 y 8 no están disponibles en este modelo",
     "Wejścia cyfrowe 7 i 8 nie są dostępne w tym modelu"},
    {RuleMessage::SoftTextNotPermitted, "Soft Text Message functions are not permitted in LED model",
     "As funções de mensagem de texto não são permitidas no modelo LED",
     "Las funciones de mensajes de texto no están permitidas en el modelo LED",
     "Funkcje komunikatów tekstowych nie są dozwolone w modelu LED"},
    {RuleMessage::ZKeysNotPermitted, "Z-keys functions are not permitted in LED model",
     "As funções das teclas Z não são permitidas no modelo LED",
     "Las funciones de las teclas Z no están permitidas en el modelo LED",
     "Funkcje klawiszy Z nie są dozwolone w modelu LED"},

    {RuleMessage::ClockDaysUndefined, "CLOCK - %1 must have To and From days defined",
     "RELÓGIO - %1: os dias \"De\" e \"Até\" devem ser definidos",
     "RELOJ - %1: deben definirse los días \"Desde\" y \"Hasta\"",
     "ZEGAR - %1 musi mieć zdefiniowane dni od i do"},
    {RuleMessage::CompareSameCounters, "Parameters of compare counter P%1 must not be same",
     "Os parâmetros do contador de comparação P%1 não devem ser iguais",
     "Los parámetros del contador de comparación P%1 no deben ser iguales",
     "Parametry komparatora liczników P%1 nie mogą być takie same"},
    {RuleMessage::CompareCounterUndefined,
     "Parameters of compare counter P%1, Counter C%2, must be defined in Coil column",
     "Parâmetros do contador de comparação P%1: o contador C%2 deve ser definido na coluna de bobinas",
     "Parámetros del contador de comparación P%1: el contador C%2 debe estar definido en la columna de "
     "bobinas",
     "Parametry komparatora liczników P%1, licznik C%2, muszą być zdefiniowane w kolumnie cewek"},
    {RuleMessage::AnalogSameInputs, nullptr, nullptr, nullptr, nullptr},
    {RuleMessage::HourMeterNeedsEnable, "Hour Meter H%1 must have Enable input in Coil column",
     "O horímetro H%1 deve ter a entrada de habilitação na coluna de bobinas",
     "El horómetro H%1 debe tener la entrada de habilitación en la columna de bobinas",
     "Licznik godzin H%1 musi mieć wejście zezwalające w kolumnie cewek"},
    {RuleMessage::HourMeterPresetZero, "Preset Value of  Hour Meter H%1 must be non-zero.",
     "O valor predefinido do horímetro H%1 deve ser diferente de zero.",
     "El valor preseleccionado del horómetro H%1 debe ser distinto de cero.",
     "Wartość zadana licznika godzin H%1 musi być różna od zera."},
    {RuleMessage::HourMeterEnableTwice, "Hour Meter H%1 Enable Input is used more than then once",
     "A entrada de habilitação do horímetro H%1 é usada mais de uma vez",
     "La entrada de habilitación del horómetro H%1 se usa más de una vez",
     "Wejście zezwalające licznika godzin H%1 jest użyte więcej niż raz"},
    {RuleMessage::HourMeterResetTwice, "Hour Meter H%1 Reset is used more than then once",
     "O reset do horímetro H%1 é usado mais de uma vez", "El reset del horómetro H%1 se usa más de una vez",
     "Wejście kasujące licznika godzin H%1 jest użyte więcej niż raz"},
    {RuleMessage::HourMeterResetAllTwice, "Hour Meter H%1 Reset All is used more than then once",
     "O reset total do horímetro H%1 é usado mais de uma vez",
     "El reset total del horómetro H%1 se usa más de una vez",
     "Wejście kasowania całości licznika godzin H%1 jest użyte więcej niż raz"},
    {RuleMessage::UnknownGridCode, "Unknown code %1 in the ladder", "Código %1 desconhecido no ladder",
     "Código %1 desconocido en el ladder", "Nieznany kod %1 w drabince"},
}};

constexpr bool tableFollowsEnum() {
    for (int i = 0; i < kRuleMessageCount; ++i) {
        if (static_cast<int>(kMessages[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableFollowsEnum(), "one row per message, in the order of the enum");

// "Parameters must not be same for Analog Function A": the one check text the language table has.
constexpr int kAnalogSameInputsTextId = 331;

}  // namespace

QString RuleMessageText(RuleMessage message, int languageOffset) {
    const int index = static_cast<int>(message);
    if (index < 0 || index >= kRuleMessageCount) {
        return {};
    }
    const MessageTexts& texts = kMessages[index];
    if (texts.english == nullptr) {
        return LoadText(kAnalogSameInputsTextId, languageOffset) + QStringLiteral("%1");
    }
    switch (languageOffset) {
        case Portuguese:
            return QString::fromUtf8(texts.portuguese);
        case Spanish:
            return QString::fromUtf8(texts.spanish);
        case Polish:
            return QString::fromUtf8(texts.polish);
        default:
            return QString::fromUtf8(texts.english);
    }
}

QString RuleMessageText(RuleMessage message) {
    return RuleMessageText(message, CurrentLanguageOffset());
}

}  // namespace bdx
