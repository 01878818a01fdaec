#include "ladder/program_document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "ladder/grid.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ProgramDocumentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        document = std::make_unique<ProgramDocument>(prompter, dir.filePath(QStringLiteral("undo")),
                                                     dir.filePath(QStringLiteral("app")));
        document->setCallbacks({[this] { ++captions; }, [this] { ++replaced; }, {}});
        document->StartEmpty();
    }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // A program file with one contact, of the given model.
    QString writeProgram(const char* name, int model = 9, std::uint16_t number = OperandNumberCode(1)) {
        Program p;
        p.ModelIndex = static_cast<std::uint16_t>(model);
        p.LadderGrid[0] = 'I';
        p.LadderGrid[1] = number;
        p.comment(Operand::I, 0) = QStringLiteral("start button");
        EXPECT_TRUE(WriteProgramFile(p, path(name)));
        return path(name);
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    std::unique_ptr<ProgramDocument> document;
    int captions = 0;
    int replaced = 0;
};

TEST_F(ProgramDocumentTest, OpenTakesTheFileAndLocksIt) {
    const QString file = writeProgram("Motor.h53", 9, 52);  // a legacy number word
    prompter.queueFile(file);
    ASSERT_EQ(document->OpenProgram(), ProgramDocument::Outcome::Done);
    const Program& p = document->program();
    EXPECT_EQ(p.ProgramFileName, QStringLiteral("Motor.h53"));
    EXPECT_EQ(p.ProgramFilePath, file);
    EXPECT_EQ(p.ModelIndex, 9);
    EXPECT_EQ(p.LadderGrid[1], OperandNumberCode(4));  // converted to the current coding
    EXPECT_EQ(p.comment(Operand::I, 0), QStringLiteral("start button"));
    EXPECT_FALSE(p.ProgramModified);
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".temp")));
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(prompter.fileRequests().back().filter, QStringLiteral("h53 (*.h53);;m53 (*.m53);;t53 (*.t53)"));
    EXPECT_GE(captions, 2);
    EXPECT_GE(replaced, 2);

    // Opening another file gives up the first one's lock.
    const QString second = writeProgram("Pump.h53");
    ASSERT_EQ(document->OpenFile(second), ProgramDocument::Outcome::Done);
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".temp")));
    EXPECT_TRUE(document->locks().holds(second));
}

TEST_F(ProgramDocumentTest, UnsavedChangesAreOfferedBeforeOpening) {
    const QString file = writeProgram("Motor.h53");
    document->program().ProgramModified = true;
    document->program().LadderGrid[0] = 'Q';

    prompter.queueReply(Reply::Cancel);
    EXPECT_EQ(document->OpenProgram(), ProgramDocument::Outcome::Cancelled);
    EXPECT_EQ(document->program().LadderGrid[0], 'Q');
    EXPECT_EQ(prompter.texts().back(), QStringLiteral("Do you want to save the changes you made?"));

    // Yes saves through Save As; a cancelled Save As stops the open.
    prompter.queueReply(Reply::Yes);
    prompter.queueFile(QString());  // the save dialog cancelled
    EXPECT_EQ(document->OpenProgram(), ProgramDocument::Outcome::Cancelled);
    EXPECT_EQ(document->program().LadderGrid[0], 'Q');

    prompter.queueReply(Reply::Yes);
    prompter.queueFile(path("Saved.h53"));
    prompter.queueFile(file);
    EXPECT_EQ(document->OpenProgram(), ProgramDocument::Outcome::Done);
    EXPECT_TRUE(QFile::exists(path("Saved.h53")));
    EXPECT_EQ(document->program().ProgramFileName, QStringLiteral("Motor.h53"));
    EXPECT_EQ(prompter.unanswered(), 0);
}

TEST_F(ProgramDocumentTest, NamesAndPathsThatAreTooLong) {
    const QString longName = QString(81, u'n') + QStringLiteral(".h53");  // 85 characters
    prompter.queueFile(dir.filePath(longName));
    EXPECT_EQ(document->OpenProgram(), ProgramDocument::Outcome::Failed);
    EXPECT_EQ(prompter.texts().back(), LoadText(113, English));

    QString deep = dir.path();
    while (deep.size() < 250) {
        deep += QStringLiteral("/folder");
    }
    EXPECT_EQ(document->OpenFile(deep + QStringLiteral("/a.h53")), ProgramDocument::Outcome::Failed);
    EXPECT_EQ(prompter.texts().back(),
              QStringLiteral("File path is too long. Make file saving path less than 251 "
                             "characters and reopen the file."));

    // An undo folder deep down leaves less room for the name.
    ProgramDocument deepUndo(prompter, deep.left(kMaxUndoPathLength - 20),
                             dir.filePath(QStringLiteral("app")));
    EXPECT_EQ(deepUndo.OpenFile(writeProgram("Motor.h53")), ProgramDocument::Outcome::Failed);
    EXPECT_EQ(prompter.texts().back(), QStringLiteral("File Name/Path is too long. "));
}

TEST_F(ProgramDocumentTest, AFileOpenInAnotherInstanceIsRefused) {
    const QString file = writeProgram("Motor.h53");
    ProgramDocument other(prompter, dir.filePath(QStringLiteral("undo2")),
                          dir.filePath(QStringLiteral("app")));
    ASSERT_EQ(other.OpenFile(file), ProgramDocument::Outcome::Done);
    EXPECT_EQ(document->OpenFile(file), ProgramDocument::Outcome::Failed);
    EXPECT_EQ(prompter.texts().back(), QStringLiteral("File already Opened!"));
    EXPECT_EQ(document->program().ProgramFileName, QStringLiteral("Untitled.h53"));

    // The same from a second process.
    const QString pump = writeProgram("Pump.h53");
    QProcess holder;
    holder.start(QStringLiteral("flock"),
                 {QStringLiteral("-n"), QStringLiteral("-o"), pump + QStringLiteral(".temp"),
                  QStringLiteral("-c"), QStringLiteral("echo locked; sleep 30")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    EXPECT_EQ(document->OpenFile(pump), ProgramDocument::Outcome::Failed);
    EXPECT_EQ(prompter.texts().back(), QStringLiteral("File already Opened!"));
    holder.kill();
    holder.waitForFinished();
}

TEST_F(ProgramDocumentTest, AnUnsupportedModelEmptiesTheProgram) {
    const QString good = writeProgram("Good.h53");
    ASSERT_EQ(document->OpenFile(good), ProgramDocument::Outcome::Done);
    const QString bad = writeProgram("Future.h53", 16);
    EXPECT_EQ(document->OpenFile(bad), ProgramDocument::Outcome::Failed);
    EXPECT_EQ(prompter.texts().back(),
              QStringLiteral("The model selected in the file is not supported by this software."));
    const Program& p = document->program();
    EXPECT_EQ(p.ProgramFileName, QStringLiteral("Untitled.h53"));
    EXPECT_TRUE(p.ProgramFilePath.isEmpty());
    EXPECT_EQ(p.ModelIndex, 0);
    EXPECT_EQ(p.LadderGrid[0], CellEmpty);
    EXPECT_FALSE(document->locks().holds(bad));
    EXPECT_FALSE(document->locks().holds(good));
}

TEST_F(ProgramDocumentTest, ADamagedFileLeavesTheOpenProgramAlone) {
    const QString good = writeProgram("Good.h53");
    ASSERT_EQ(document->OpenFile(good), ProgramDocument::Outcome::Done);
    const Program before = document->program();
    QFile bad(path("Broken.h53"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(contentOf(good).left(2000));
    bad.close();

    EXPECT_EQ(document->OpenFile(path("Broken.h53")), ProgramDocument::Outcome::Failed);
    EXPECT_TRUE(prompter.texts().back().startsWith(
        QStringLiteral("The file is not a program file or it is damaged: ")));
    EXPECT_EQ(prompter.messages().back().icon, MessageIcon::Warning);
    EXPECT_EQ(document->program(), before);
    EXPECT_TRUE(document->locks().holds(good));
    EXPECT_FALSE(document->locks().holds(path("Broken.h53")));
}

TEST_F(ProgramDocumentTest, SavingAnOldFormatFileWritesANewFileBesideIt) {
    LadderGridWords grid;
    grid.fill(CellEmpty);
    const QString old = writeProgram("Motor.t53");
    const QByteArray oldContent = contentOf(old);
    ASSERT_EQ(document->OpenFile(old), ProgramDocument::Outcome::Done);
    document->program().LadderGrid[3] = 'Q';
    document->program().ProgramModified = true;

    ASSERT_EQ(document->SaveProgram(), ProgramDocument::Outcome::Done);
    EXPECT_EQ(prompter.texts().back(),
              QStringLiteral("Original file will not be changed \r\nThis file is in old "
                             "format(.t53) The file will now be saved in new file format(.h53)"));
    EXPECT_EQ(contentOf(old), oldContent);
    const QString saved = path("Motor.h53");
    EXPECT_EQ(document->program().ProgramFileName, QStringLiteral("Motor.h53"));
    EXPECT_EQ(document->program().ProgramFilePath, saved);
    EXPECT_FALSE(document->program().ProgramModified);
    EXPECT_TRUE(document->locks().holds(saved));
    EXPECT_FALSE(document->locks().holds(old));
    Program back;
    ASSERT_TRUE(ReadProgramFile(saved, back).ok());
    EXPECT_EQ(back.LadderGrid[3], 'Q');
}

TEST_F(ProgramDocumentTest, SaveKeepsItsLockAndUntitledAsksForAName) {
    prompter.queueFile(path("New.h53"));
    ASSERT_EQ(document->SaveProgram(), ProgramDocument::Outcome::Done);  // Untitled: Save As
    EXPECT_EQ(prompter.fileRequests().back().filter, QStringLiteral("h53 (*.h53)"));
    EXPECT_EQ(prompter.fileRequests().back().defaultSuffix, QStringLiteral("h53"));
    document->program().LadderGrid[0] = 'M';
    ASSERT_EQ(document->SaveProgram(), ProgramDocument::Outcome::Done);
    EXPECT_TRUE(document->locks().holds(path("New.h53")));
    Program back;
    ASSERT_TRUE(ReadProgramFile(path("New.h53"), back).ok());
    EXPECT_EQ(back.LadderGrid[0], 'M');
    EXPECT_EQ(prompter.fileRequests().size(), 1u);
}

TEST_F(ProgramDocumentTest, SaveAsOverAFileOpenElsewhereWritesNothing) {
    const QString file = writeProgram("Shared.h53");
    const QByteArray before = contentOf(file);
    ProgramDocument other(prompter, dir.filePath(QStringLiteral("undo2")),
                          dir.filePath(QStringLiteral("app")));
    ASSERT_EQ(other.OpenFile(file), ProgramDocument::Outcome::Done);

    prompter.queueFile(file);
    EXPECT_EQ(document->SaveProgramAs(), ProgramDocument::Outcome::Failed);
    EXPECT_EQ(prompter.texts().back(), QStringLiteral("Can not replace. File already opened!"));
    EXPECT_EQ(contentOf(file), before);
    EXPECT_EQ(document->program().ProgramFileName, QStringLiteral("Untitled.h53"));
}

TEST_F(ProgramDocumentTest, SaveAsMovesTheUndoHistoryAndAFailedWriteChangesNothing) {
    ASSERT_EQ(document->OpenFile(writeProgram("First.h53")), ProgramDocument::Outcome::Done);
    document->RecordUndoPoint(0);
    document->program().LadderGrid[0] = 'Q';
    EXPECT_TRUE(document->program().ProgramModified);
    EXPECT_TRUE(document->undoStore().UndoFolder().contains(QStringLiteral("First-")));

    prompter.queueFile(path("Second.h53"));
    ASSERT_EQ(document->SaveProgramAs(), ProgramDocument::Outcome::Done);
    EXPECT_TRUE(document->undoStore().UndoFolder().contains(QStringLiteral("Second-")));
    EXPECT_TRUE(document->undoStore().CanUndoMore());
    EXPECT_FALSE(document->locks().holds(path("First.h53")));

    prompter.queueFile(path("missing/Third.h53"));
    EXPECT_EQ(document->SaveProgramAs(), ProgramDocument::Outcome::Failed);
    EXPECT_TRUE(prompter.texts().back().startsWith(QStringLiteral("The program could not be saved: ")));
    EXPECT_EQ(document->program().ProgramFilePath, path("Second.h53"));
    EXPECT_TRUE(document->locks().holds(path("Second.h53")));

    ASSERT_EQ(document->Undo(), 0);
    EXPECT_EQ(document->program().LadderGrid[0], 'I');
    EXPECT_EQ(document->program().ProgramFileName, QStringLiteral("Second.h53"));
    ASSERT_EQ(document->Redo(), 0);
    EXPECT_EQ(document->program().LadderGrid[0], 'Q');
}

TEST_F(ProgramDocumentTest, CommandLinePathsLoseTheirQuotes) {
    const QString file = writeProgram("Command Line.h53");
    ASSERT_EQ(document->OpenFromCommandLine(QLatin1Char('"') + file + QLatin1Char('"')),
              ProgramDocument::Outcome::Done);
    EXPECT_EQ(document->program().ProgramFileName, QStringLiteral("Command Line.h53"));
    EXPECT_EQ(document->OpenFromCommandLine(QStringLiteral("\"\"")), ProgramDocument::Outcome::Cancelled);
}

TEST_F(ProgramDocumentTest, NewKeepsTheModelAndDropsTheModules) {
    ASSERT_EQ(document->OpenFile(writeProgram("Motor.h53", 12)), ProgramDocument::Outcome::Done);
    document->program().ExtensionModules = {1, 1, 0};
    document->program().ProgramModified = true;
    prompter.queueReply(Reply::No);
    ASSERT_EQ(document->NewProgram(), ProgramDocument::Outcome::Done);
    const Program& p = document->program();
    EXPECT_EQ(p.ModelIndex, 12);
    EXPECT_EQ(p.ExtensionModules, (std::array<std::uint16_t, 3>{0, 0, 0}));
    EXPECT_EQ(p.ProgramFileName, QStringLiteral("Untitled.h53"));
    EXPECT_EQ(p.LadderGrid[0], CellEmpty);
    EXPECT_FALSE(p.ProgramModified);
    EXPECT_FALSE(document->locks().holds(path("Motor.h53")));
}

TEST_F(ProgramDocumentTest, ClosingWritesTheApplicationCopyAndCleansUp) {
    ASSERT_EQ(document->OpenFile(writeProgram("Motor.h53")), ProgramDocument::Outcome::Done);
    document->RecordUndoPoint(0);
    const QString undoFolder = document->undoStore().UndoFolder();
    ASSERT_TRUE(QDir(undoFolder).exists());

    prompter.queueReply(Reply::Cancel);
    EXPECT_FALSE(document->QueryClose());
    EXPECT_TRUE(document->locks().holds(path("Motor.h53")));

    prompter.queueReply(Reply::No);
    EXPECT_TRUE(document->QueryClose());
    EXPECT_FALSE(QDir(undoFolder).exists());
    EXPECT_FALSE(QFile::exists(path("Motor.h53.temp")));
    Program copy;
    ASSERT_TRUE(ReadProgramFile(document->applicationCopyPath(), copy, true).ok());
    EXPECT_EQ(copy.ProgramFileName, QStringLiteral("Motor.h53"));
    EXPECT_EQ(copy.ProgramFilePath, path("Motor.h53"));
}

}  // namespace
}  // namespace bdx
