#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>

namespace bdx {

// Offsets of the user-interface languages from the English text ids.
enum LanguageOffsetValue { English = 0, Portuguese = 900, Polish = 1800, Spanish = 2700 };

struct LanguageChoice {
    int offset;
    const char* name;  // the language's own name, UTF-8
};
inline constexpr std::array<LanguageChoice, 4> kLanguages = {{
    {English, "English"},
    {Portuguese, "Português"},
    {Polish, "Polski"},
    {Spanish, "Español"},
}};

// Texts this implementation adds to the documented ones live in a range of their own.
inline constexpr int kOwnTextIdFirst = 8000;
inline constexpr int kOwnTextIdLast = 8899;

bool IsEnglishTextId(int id);

// The language's two-letter code ("en", "pt", "pl", "es"); "en" for an unknown offset.
const char* LanguageCode(int offset);

// All captions and messages by id. English ids are 101..799, 4000..4325 and 8000..8899; the other
// languages sit at +900, +1800 and +2700.
class LanguageTable {
  public:
    // Parses the tab-separated table: id, English, Portuguese, Polish, Spanish. Empty on
    // error, with the line at fault in `error`.
    static LanguageTable fromTsv(const QByteArray& content, QString* error = nullptr);
    // The table built into the application.
    static const LanguageTable& builtIn();

    // Text of the absolute id (English id + offset); empty when the table has none.
    QString text(int id) const { return texts_.value(id); }
    bool contains(int id) const { return texts_.contains(id); }
    int size() const { return static_cast<int>(texts_.size()); }
    QList<int> ids() const { return texts_.keys(); }

  private:
    QHash<int, QString> texts_;
};

// The language in force for LoadText; set at start-up from the settings.
void SetLanguageOffset(int offset);
int CurrentLanguageOffset();

// Text of id in the current language, falling back to English when the translation is missing.
QString LoadText(int id);
// The same for a given language offset.
QString LoadText(int id, int languageOffset);

}  // namespace bdx
