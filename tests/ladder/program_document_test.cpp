#include "ladder/program_document.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>

#include "ladder/file_lock.h"
#include "ladder/grid.h"
#include "ladder/undo_redo.h"
#include "shell/scripted_prompter.h"
#include "test_programs.h"

namespace bdx {
namespace {

using Outcome = ProgramDocument::Outcome;

class ProgramDocumentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QObject::connect(&document, &ProgramDocument::captionChanged, [this] { ++captions; });
        QObject::connect(&document, &ProgramDocument::programReplaced, [this] { ++replaced; });
        QObject::connect(&document, &ProgramDocument::modifiedChanged,
                         [this](bool m) { modified.push_back(m); });
        document.StartEmpty();
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString lastText() const { return prompter.texts().value(prompter.texts().size() - 1); }
    const Program& program() const { return document.program(); }

    // A program file with contact I in the first position, of the given model.
    QString writeProgram(const QString& name, int model = 9, std::uint16_t number = OperandNumberCode(1)) {
        Program p;
        p.ModelIndex = static_cast<std::uint16_t>(model);
        p.LadderGrid[0] = 'I';
        p.LadderGrid[1] = number;
        EXPECT_TRUE(writeFile(path(name), FormatProgramFile(p)));
        return path(name);
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    ProgramDocument document{prompter, dir.filePath(QStringLiteral("undo")),
                             dir.filePath(QStringLiteral("app"))};
    ProgramDocument other{prompter, dir.filePath(QStringLiteral("undo2")),
                          dir.filePath(QStringLiteral("app"))};
    int captions = 0;
    int replaced = 0;
    std::vector<bool> modified;  // every modifiedChanged, in order
};

TEST_F(ProgramDocumentTest, OpenTakesTheFileAndLocksIt) {
    const QString file = writeProgram("Motor.h53", 9, 52);  // a legacy number word
    prompter.queueFile(file);
    ASSERT_EQ(document.OpenProgram(), Outcome::Done);
    EXPECT_EQ(program().ProgramFileName, QStringLiteral("Motor.h53"));
    EXPECT_EQ(program().ProgramFilePath, file);
    EXPECT_EQ(program().LadderGrid[1], OperandNumberCode(4));  // converted to the current coding
    EXPECT_FALSE(program().ProgramModified);
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".temp")));
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(prompter.fileRequests().back().filter, QStringLiteral("h53 (*.h53);;m53 (*.m53);;t53 (*.t53)"));
    EXPECT_TRUE(captions >= 2 && replaced >= 2) << captions << " " << replaced;

    // Opening another file gives up the first one's lock; a file open elsewhere is refused.
    ASSERT_EQ(document.OpenFile(writeProgram("Pump.h53")), Outcome::Done);
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".temp")));
    ASSERT_EQ(other.OpenFile(file), Outcome::Done);
    EXPECT_EQ(document.OpenFile(file), Outcome::Failed);
    EXPECT_EQ(lastText(), QStringLiteral("File already Opened!"));
    EXPECT_EQ(program().ProgramFileName, QStringLiteral("Pump.h53"));
    EXPECT_TRUE(document.locks().holds(path("Pump.h53")));

    // Surrounding quotes of a command-line path are removed.
    ASSERT_EQ(document.OpenFromCommandLine('"' + writeProgram("Command Line.h53") + '"'), Outcome::Done);
    EXPECT_EQ(program().ProgramFileName, QStringLiteral("Command Line.h53"));
    EXPECT_EQ(document.OpenFromCommandLine(QStringLiteral("\"\"")), Outcome::Cancelled);
}

TEST_F(ProgramDocumentTest, NamePathAndUndoPathLimits) {
    const QString name84 = QString(80, u'n') + QStringLiteral(".h53");
    const QString folder = dir.path() + u'/' + QString(250 - dir.path().size() - 6, u'f');
    const QString root = dir.filePath(QStringLiteral("u"));
    // Root padding that brings the undo folder path plus the name "Motor.h53" to 245 characters.
    const int pad = 245 - int(ClassUndoRedo::UndoFolderPathFor(root, QStringLiteral("Motor.h53")).size()) - 9;
    struct Case {
        QString undoRoot, file, refusal;
    };
    const Case cases[] = {
        {root, path(name84), {}},
        {root, path(u'n' + name84),
         QStringLiteral("File Name can not be greater than 80 characters. Rename the "
                        "file name and reopen it.")},
        {root, folder + QStringLiteral("/a.h53"), {}},  // 251 characters
        {root, folder + QStringLiteral("/ab.h53"),
         QStringLiteral(
             "File path is too long. Make file saving path less than 251 characters and reopen the file.")},
        {root + QString(pad, u'x'), path("Motor.h53"), {}},
        {root + QString(pad + 1, u'x'), path("Motor.h53"), QStringLiteral("File Name/Path is too long. ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        ProgramDocument limited(prompter, c.undoRoot, dir.filePath(QStringLiteral("app")));
        writeProgram(QDir(dir.path()).relativeFilePath(c.file));
        prompter.clear();
        EXPECT_EQ(limited.OpenFile(c.file), c.refusal.isEmpty() ? Outcome::Done : Outcome::Failed);
        EXPECT_EQ(lastText(), c.refusal);
    }
}

TEST_F(ProgramDocumentTest, UnsavedChangesAreOfferedBeforeOpening) {
    const QString file = writeProgram("Motor.h53");
    document.program().ProgramModified = true;
    document.program().LadderGrid[0] = 'Q';

    prompter.queueReply(Reply::Cancel);
    EXPECT_EQ(document.OpenProgram(), Outcome::Cancelled);
    EXPECT_EQ(lastText(), QStringLiteral("Do you want to save the changes you made?"));
    // Yes saves through Save As; a cancelled Save As stops the open.
    prompter.queueReply(Reply::Yes);
    prompter.queueFile(QString());
    EXPECT_EQ(document.OpenProgram(), Outcome::Cancelled);
    EXPECT_EQ(program().LadderGrid[0], 'Q');

    prompter.queueReply(Reply::Yes);
    prompter.queueFile(path("Saved.h53"));
    prompter.queueFile(file);
    EXPECT_EQ(document.OpenProgram(), Outcome::Done);
    EXPECT_TRUE(QFile::exists(path("Saved.h53")));
    EXPECT_EQ(program().ProgramFileName, QStringLiteral("Motor.h53"));
    EXPECT_EQ(prompter.unanswered(), 0);
}

TEST_F(ProgramDocumentTest, UnreadableFiles) {
    const QString good = writeProgram("Good.h53");
    ASSERT_EQ(document.OpenFile(good), Outcome::Done);
    const Program before = program();

    // Not a program file: the open program stays.
    const QString broken = path("Broken.h53");
    ASSERT_TRUE(writeFile(broken, contentOf(good).left(2000)));
    EXPECT_EQ(document.OpenFile(broken), Outcome::Failed);
    EXPECT_TRUE(lastText().startsWith(QStringLiteral("The file is not a program file or it is damaged: ")));
    EXPECT_EQ(prompter.messages().back().icon, MessageIcon::Warning);
    EXPECT_EQ(program(), before);
    EXPECT_TRUE(document.locks().holds(good));
    EXPECT_FALSE(document.locks().holds(broken));

    // A model this software does not know: the program is emptied.
    const QString future = writeProgram("Future.h53", 16);
    EXPECT_EQ(document.OpenFile(future), Outcome::Failed);
    EXPECT_EQ(lastText(),
              QStringLiteral("The model selected in the file is not supported by this software."));
    Program empty;
    ResetProgram(empty);
    EXPECT_EQ(program(), empty);
    EXPECT_FALSE(document.locks().holds(future));
    EXPECT_FALSE(document.locks().holds(good));
}

TEST_F(ProgramDocumentTest, SavingAnOldFormatFileWritesANewFileBesideIt) {
    const QString old = writeProgram("Motor.t53");
    const QByteArray oldContent = contentOf(old);
    ASSERT_EQ(document.OpenFile(old), Outcome::Done);
    document.program().LadderGrid[3] = 'Q';
    document.program().ProgramModified = true;

    ASSERT_EQ(document.SaveProgram(), Outcome::Done);
    EXPECT_EQ(lastText(), QStringLiteral("Original file will not be changed \r\nThis file is in old "
                                         "format(.t53). The file will now be saved in new file format(.h53)"));
    EXPECT_EQ(contentOf(old), oldContent);
    const QString saved = path("Motor.h53");
    EXPECT_EQ(program().ProgramFileName, QStringLiteral("Motor.h53"));
    EXPECT_EQ(program().ProgramFilePath, saved);
    EXPECT_FALSE(program().ProgramModified);
    EXPECT_TRUE(document.locks().holds(saved));
    EXPECT_FALSE(document.locks().holds(old));
    EXPECT_EQ(readBack(saved).LadderGrid[3], 'Q');
}

TEST_F(ProgramDocumentTest, SaveAsNamesUntitledAndRefusesAFileOpenElsewhere) {
    prompter.queueFile(path("New.h53"));
    ASSERT_EQ(document.SaveProgram(), Outcome::Done);  // Untitled: Save As
    EXPECT_EQ(prompter.fileRequests().back().filter, QStringLiteral("h53 (*.h53)"));
    EXPECT_EQ(prompter.fileRequests().back().defaultSuffix, QStringLiteral("h53"));
    document.program().LadderGrid[0] = 'M';
    ASSERT_EQ(document.SaveProgram(), Outcome::Done);  // keeps its own lock, asks nothing
    EXPECT_EQ(prompter.fileRequests().size(), 1u);
    EXPECT_TRUE(document.locks().holds(path("New.h53")));
    EXPECT_EQ(readBack(path("New.h53")).LadderGrid[0], 'M');

    const QString shared = writeProgram("Shared.h53");
    const QByteArray before = contentOf(shared);
    ASSERT_EQ(other.OpenFile(shared), Outcome::Done);
    prompter.queueFile(shared);
    EXPECT_EQ(document.SaveProgramAs(), Outcome::Failed);
    EXPECT_EQ(lastText(), QStringLiteral("Can not replace. File already opened!"));
    EXPECT_EQ(contentOf(shared), before);
    EXPECT_EQ(program().ProgramFilePath, path("New.h53"));
}

TEST_F(ProgramDocumentTest, SaveAsMovesTheUndoHistoryAndAFailedWriteChangesNothing) {
    ASSERT_EQ(document.OpenFile(writeProgram("First.h53")), Outcome::Done);
    document.RecordUndoPoint(0);
    document.program().LadderGrid[0] = 'Q';
    EXPECT_TRUE(program().ProgramModified);

    prompter.queueFile(path("Second.h53"));
    ASSERT_EQ(document.SaveProgramAs(), Outcome::Done);
    EXPECT_EQ(modified, (std::vector<bool>{true, false}));  // told once each way
    EXPECT_FALSE(document.locks().holds(path("First.h53")));

    prompter.queueFile(path("missing/Third.h53"));
    EXPECT_EQ(document.SaveProgramAs(), Outcome::Failed);
    EXPECT_TRUE(lastText().startsWith(QStringLiteral("The program could not be saved: ")));
    EXPECT_EQ(program().ProgramFilePath, path("Second.h53"));
    EXPECT_TRUE(document.locks().holds(path("Second.h53")));

    ASSERT_EQ(document.Undo(), 0);
    EXPECT_EQ(program().LadderGrid[0], 'I');
    EXPECT_EQ(program().ProgramFileName, QStringLiteral("Second.h53"));
    ASSERT_EQ(document.Redo(), 0);
    EXPECT_EQ(program().LadderGrid[0], 'Q');
}

TEST_F(ProgramDocumentTest, NewAndClose) {
    ASSERT_EQ(document.OpenFile(writeProgram("Motor.h53", 12)), Outcome::Done);
    document.RecordUndoPoint(0);
    const QString undoFolder = document.undoStore().UndoFolder();
    prompter.queueReply(Reply::Cancel);
    EXPECT_FALSE(document.QueryClose());
    EXPECT_TRUE(document.locks().holds(path("Motor.h53")));
    prompter.queueReply(Reply::No);
    EXPECT_TRUE(document.QueryClose());
    EXPECT_FALSE(QDir(undoFolder).exists());
    EXPECT_FALSE(QFile::exists(path("Motor.h53.temp")));
    const Program copy = readBack(document.applicationCopyPath(), true);
    EXPECT_EQ(std::pair(copy.ProgramFileName, copy.ProgramFilePath),
              std::pair(QStringLiteral("Motor.h53"), path("Motor.h53")));

    // New keeps the model and drops the extension modules.
    ASSERT_EQ(document.OpenFile(path("Motor.h53")), Outcome::Done);
    document.program().ExtensionModules = {1, 1, 0};
    document.program().ProgramModified = true;
    prompter.queueReply(Reply::No);
    ASSERT_EQ(document.NewProgram(), Outcome::Done);
    Program expected;
    expected.ModelIndex = 12;
    EXPECT_EQ(program(), expected);
    EXPECT_FALSE(document.locks().holds(path("Motor.h53")));
}

TEST_F(ProgramDocumentTest, TheApplicationDoesNotOpenAFifoOrAFolder) {
    const QString fifo = path(QStringLiteral("pipe.h53"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = path(QStringLiteral("folder.h53"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& file : {fifo, folder}) {
        prompter.clear();
        EXPECT_EQ(document.OpenFile(file), Outcome::Failed);
        const QString message = prompter.texts().value(0);
        EXPECT_TRUE(message.contains(QFileInfo(file).fileName() + QStringLiteral(" is a")) &&
                    message.contains(QStringLiteral("not a regular file")))
            << message.toStdString();
        EXPECT_FALSE(QFile::exists(file + QStringLiteral(".temp")));
    }
}

// The undo folders of an instance that was killed go at the next start; those of an instance
// still running stay, whatever they hold.
TEST(StartAndOpenTest, TheNextStartRemovesTheUndoFoldersOfAKilledInstance) {
    QTemporaryDir temp;
    const QString root = temp.filePath(QStringLiteral("undo"));
    ClassUndoRedo running(root);
    ASSERT_TRUE(running.StartFolders(QStringLiteral("Motor.h53")));
    ASSERT_TRUE(running.AddUndoAction(Program{}, 1, 0));

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Killed halfway through an edit: no destructor runs.
        ClassUndoRedo killed(root);
        Program program;
        const bool made = killed.StartFolders(QStringLiteral("Motor.h53")) &&
                          killed.AddUndoAction(program, 2, 0) &&
                          killed.PerformUndoAction(program).has_value();
        std::_Exit(made && killed.UndoFolder().endsWith(QStringLiteral("Motor-1")) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QString killedUndo = running.UndoFolder().chopped(1) + u'1';
    const QString killedRedo = running.RedoFolder().chopped(1) + u'1';
    ASSERT_TRUE(QFileInfo(killedUndo).isDir() && QFileInfo(killedRedo).isDir());

    const ClassUndoRedo next(root);
    EXPECT_FALSE(QFileInfo::exists(killedUndo));
    EXPECT_FALSE(QFileInfo::exists(killedRedo));
    EXPECT_TRUE(running.CanUndoMore());
    EXPECT_TRUE(QFileInfo(running.RedoFolder()).isDir());
}

// Another process tries the same kind of lock, as a second instance would: 0 when it got it.
int lockFromAnotherProcess(const QString& lockPath) {
    return QProcess::execute(QStringLiteral("flock"),
                             {QStringLiteral("-n"), lockPath, QStringLiteral("true")});
}

TEST(FileLockTest, CompanionFileNames) {
    const std::pair<QString, QString> retentive[] = {
        {"/p/Motor.h53", "/p/Motor.ret"}, {"/p/Old.T53", "/p/Old.ret"}, {"/p/Old.m53", "/p/Old.ret"}};
    for (const auto& [program, ret] : retentive) {
        EXPECT_EQ(RetentiveFilePath(program), ret);
    }
    EXPECT_EQ(LockFilePath("/p/Motor.h53"), "/p/Motor.h53.temp");
    EXPECT_EQ(ImageFilePath("/p/Motor.h53"), "/p/Motor.LAD");
    EXPECT_EQ(ImageFilePath("/p/x.h53.bak"), "/p/x.h53.bak.LAD");
}

TEST(FileLockTest, ASecondHolderOrProcessIsRefusedUntilRelease) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("Motor.h53"));
    ASSERT_TRUE(writeFile(RetentiveFilePath(program)) && writeFile(ImageFilePath(program)));
    FileLocks first;
    QString error;
    ASSERT_TRUE(first.AcquireFileLock(program));
    EXPECT_TRUE(QFile::exists(LockFilePath(program)));

    FileLocks second;
    second.ReleaseFileLock(program);  // holds nothing: removes nothing
    EXPECT_TRUE(QFile::exists(RetentiveFilePath(program)));
    EXPECT_FALSE(second.AcquireFileLock(program, &error));
    EXPECT_FALSE(first.AcquireFileLock(program, &error));  // the same holder must release first
    EXPECT_TRUE(error.isEmpty());                          // refused, not failed
    EXPECT_EQ(lockFromAnotherProcess(LockFilePath(program)), 1);

    first.ReleaseFileLock(program);
    for (const QString& companion :
         {LockFilePath(program), RetentiveFilePath(program), ImageFilePath(program)}) {
        EXPECT_FALSE(QFile::exists(companion)) << companion.toStdString();
    }
    EXPECT_TRUE(second.AcquireFileLock(program));

    EXPECT_FALSE(first.AcquireFileLock(QStringLiteral("/nonexistent-folder/x.h53"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(FileLockTest, ALockEndsWithItsHolderEvenAfterACrash) {
    QTemporaryDir dir;
    const QString pump = dir.filePath(QStringLiteral("Pump.h53"));
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("-n"), QStringLiteral("-o"), LockFilePath(pump),
                                           QStringLiteral("-c"), QStringLiteral("echo locked; sleep 30")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    FileLocks locks;
    EXPECT_FALSE(locks.AcquireFileLock(pump));
    holder.kill();
    holder.waitForFinished();
    EXPECT_TRUE(locks.AcquireFileLock(pump));  // the lock file left behind is taken again
    EXPECT_EQ(lockFromAnotherProcess(LockFilePath(pump)), 1);
    locks.releaseAll();
    EXPECT_FALSE(QFile::exists(LockFilePath(pump)));
    {
        FileLocks scoped;  // a holder takes its locks with it when it ends
        ASSERT_TRUE(scoped.AcquireFileLock(pump));
    }
    EXPECT_EQ(lockFromAnotherProcess(LockFilePath(pump)), 0);
}

}  // namespace
}  // namespace bdx
