#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>

#include "ladder/program_document.h"
#include "ladder/undo_redo.h"
#include "shell/scripted_prompter.h"
#include "test_programs.h"

namespace bdx {
namespace {

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

TEST(StartAndOpenTest, TheApplicationDoesNotOpenAFifoOrAFolder) {
    QTemporaryDir temp;
    const QString fifo = temp.filePath(QStringLiteral("pipe.h53"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = temp.filePath(QStringLiteral("folder.h53"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ScriptedPrompter prompter;
    ProgramDocument document(prompter, temp.filePath(QStringLiteral("undo")),
                             temp.filePath(QStringLiteral("app")));
    document.StartEmpty();
    for (const QString& path : {fifo, folder}) {
        prompter.clear();
        EXPECT_EQ(document.OpenFile(path), ProgramDocument::Outcome::Failed);
        const QString message = prompter.texts().value(0);
        EXPECT_TRUE(message.contains(QFileInfo(path).fileName() + QStringLiteral(" is a")) &&
                    message.contains(QStringLiteral("not a regular file")))
            << message.toStdString();
        EXPECT_FALSE(QFile::exists(path + QStringLiteral(".temp")));
    }
}

}  // namespace
}  // namespace bdx
