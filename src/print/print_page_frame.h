#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "ladder/program.h"

// The page frame the text printouts share: pages of 65 lines, each opened by the header block
// with the program's print header texts and its file path.
namespace bdx {

// Printed pages, one string per printed line; columns stay separated by tab characters.
using PrintPages = std::vector<QStringList>;

inline constexpr int kPageLines = 65;
// A file path longer than this goes on to further header lines.
inline constexpr int kPathPieceLength = 55;

struct PageHeaderTexts {
    QString project;
    QString author;
    QString approvedBy;
    QString version;
    QString date;
    QString filePath;
};

// The program's print header; the file name stands in for the path of a program never saved.
PageHeaderTexts HeaderTextsOf(const Program& program);

// The file path as the header prints it: pieces of 55 characters, each piece that continues on
// the next line ending in " - ". One (possibly empty) piece for a short path.
QStringList FilePathPieces(const QString& path);

// The header block of page `pageNumber` (1-based): the rule, then one line per label, each label
// followed by two tabs. A long path continues on lines indented by the same two tabs, its pieces
// joined by " - ".
QStringList PageHeaderLines(const PageHeaderTexts& header, int pageNumber);

// Collects printed lines into pages. Every line counts towards the page's 65; the line that
// would be the 66th opens the next page, header first.
class PageFrame {
  public:
    explicit PageFrame(PageHeaderTexts header);

    void printLine(const QString& line);
    // An empty line, the heading after tabs, a rule and another empty line.
    void printHeading(const QString& heading);
    // Opens a page now, header included, whatever the current page holds.
    void beginPage();

    const PrintPages& pages() const { return pages_; }

  private:
    void append(const QString& line);

    PageHeaderTexts header_;
    PrintPages pages_;
    int lineCount_ = 0;
};

}  // namespace bdx
