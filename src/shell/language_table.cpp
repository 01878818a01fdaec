#include "language_table.h"

#include <QFile>
#include <QList>

namespace bdx {

namespace {

int g_languageOffset = English;

QString unescape(const QString& field) {
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == u'\\' && i + 1 < field.size()) {
            const QChar next = field[++i];
            if (next == u'n') {
                out += QStringLiteral("\r\n");
            } else if (next == u't') {
                out += u'\t';
            } else {
                out += next;
            }
        } else {
            out += field[i];
        }
    }
    return out;
}

}  // namespace

bool IsEnglishTextId(int id) {
    return (id >= 101 && id <= 799) || (id >= 4000 && id <= 4325) ||
           (id >= kOwnTextIdFirst && id <= kOwnTextIdLast);
}

LanguageTable LanguageTable::fromTsv(const QByteArray& content, QString* error) {
    LanguageTable table;
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = QString::fromUtf8(lines[n]);
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(QLatin1String("id\t"))) {
            continue;
        }
        const QStringList fields = line.split(u'\t');
        bool ok = false;
        const int id = fields.value(0).toInt(&ok);
        if (fields.size() != 1 + int(kLanguages.size()) || !ok || !IsEnglishTextId(id)) {
            if (error) {
                *error =
                    QStringLiteral("line %1: expected an id and %2 texts").arg(n + 1).arg(kLanguages.size());
            }
            return LanguageTable{};
        }
        for (std::size_t lang = 0; lang < kLanguages.size(); ++lang) {
            table.texts_.insert(id + kLanguages[lang].offset,
                                unescape(fields[static_cast<qsizetype>(lang) + 1]));
        }
    }
    return table;
}

const LanguageTable& LanguageTable::builtIn() {
    static const LanguageTable table = [] {
        QFile file(QStringLiteral(":/lang/strings.tsv"));
        return file.open(QIODevice::ReadOnly) ? fromTsv(file.readAll()) : LanguageTable{};
    }();
    return table;
}

void SetLanguageOffset(int offset) {
    g_languageOffset = (offset == Portuguese || offset == Polish || offset == Spanish) ? offset : English;
}

const char* LanguageCode(int offset) {
    switch (offset) {
        case Portuguese:
            return "pt";
        case Polish:
            return "pl";
        case Spanish:
            return "es";
        default:
            return "en";
    }
}

int CurrentLanguageOffset() {
    return g_languageOffset;
}

QString LoadText(int id) {
    return LoadText(id, g_languageOffset);
}

QString LoadText(int id, int languageOffset) {
    const LanguageTable& table = LanguageTable::builtIn();
    if (table.contains(id + languageOffset)) {
        return table.text(id + languageOffset);
    }
    return table.text(id);
}

}  // namespace bdx
