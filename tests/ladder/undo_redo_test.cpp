#include "ladder/undo_redo.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "bdx_version.h"
#include "test_programs.h"

namespace bdx {
namespace {

// A program that differs from its neighbours in grid, tables and texts; its last word is the
// number code NumberBase + n.
Program numberedProgram(int n) {
    Program p;
    p.LadderGrid[2999] = static_cast<std::uint16_t>(NumberBase + n);
    p.TimerParams[0][1] = static_cast<std::uint8_t>(n);
    p.LineComments[n % kLadderLines] = QStringLiteral("change %1").arg(n);
    return p;
}

UndoStep step(int n) {
    return {static_cast<std::int16_t>(n), static_cast<std::int16_t>(-n)};
}

int snapshotCount(const QString& folder) {
    return static_cast<int>(QDir(folder).entryList({QStringLiteral("*.undoredo")}, QDir::Files).size());
}

// A folder that became a file: no snapshot can be written into it.
void replaceFolderByFile(const QString& folder) {
    ASSERT_TRUE(QDir(folder).removeRecursively() && writeFile(folder));
}

class UndoRedoTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(store.StartFolders(QStringLiteral("/home/user/Motor.h53"))); }

    QString root() const { return temp.path() + QStringLiteral("/AppData/Brantel Desk X/BRANTELDESK X"); }
    QString folder(const QString& side, const QString& name) const {
        return root() + QStringLiteral("/Version ") + QString::fromLatin1(kVersionText) + u'/' + side + u'/' +
               name;
    }

    // Changes first .. first+count-1 as the editor records them: a snapshot of program n with
    // step(n), then the program becomes n + 1.
    void makeChanges(int first, int count) {
        for (int n = first; n < first + count; ++n) {
            ASSERT_TRUE(store.AddUndoAction(numberedProgram(n), step(n).cell, step(n).extra));
        }
        program = numberedProgram(first + count);
    }

    // Undo ('u') or redo ('r'), each with the step it must give (none: refused) and the number of
    // the program it must leave.
    void play(std::initializer_list<std::tuple<char, std::optional<UndoStep>, int>> moves) {
        for (const auto& [action, given, left] : moves) {
            SCOPED_TRACE(testing::Message() << action << " leaving " << left);
            EXPECT_EQ(action == 'u' ? store.PerformUndoAction(program) : store.PerformRedoAction(program),
                      given);
            EXPECT_EQ(program.LadderGrid[2999], NumberBase + left);
        }
    }

    QTemporaryDir temp;
    ClassUndoRedo store{root()};
    Program program;
};

TEST_F(UndoRedoTest, TwentySixChangesLeaveTwentyFiveUndoSteps) {
    makeChanges(0, 26);
    EXPECT_EQ(store.UndoIndex(), 1);  // from slot 1 on: the first snapshot was overwritten
    EXPECT_EQ(snapshotCount(store.UndoFolder()), ClassUndoRedo::kSlots);
    for (int n = 25; n >= 1; --n) {
        ASSERT_TRUE(store.CanUndoMore()) << n;
        ASSERT_EQ(store.PerformUndoAction(program), step(n));
        Program expected = numberedProgram(n);
        expected.ProgramModified = true;
        EXPECT_EQ(program, expected) << n;
        if (n == 24) {
            EXPECT_EQ(store.UndoIndex(), 24);  // slot 0 was undone: the ring goes on at 24
        }
    }
    EXPECT_FALSE(store.CanUndoMore());
    EXPECT_FALSE(store.PerformUndoAction(program));
    EXPECT_EQ(snapshotCount(store.RedoFolder()), ClassUndoRedo::kSlots);
}

TEST_F(UndoRedoTest, UndoRedoAndANewChange) {
    makeChanges(10, 3);  // snapshots of 10, 11, 12; current 13
    program.ProgramFileName = QStringLiteral("Renamed.h53");
    program.ProgramFilePath = QStringLiteral("/home/user/Renamed.h53");
    play({{'u', step(12), 12}, {'u', step(11), 11}});
    // A snapshot replaces the program but not the name it is saved under.
    EXPECT_EQ(std::pair(program.ProgramFileName, program.ProgramFilePath),
              std::pair(QStringLiteral("Renamed.h53"), QStringLiteral("/home/user/Renamed.h53")));
    play({{'r', step(11), 12}});
    EXPECT_TRUE(store.CanRedoMore());  // a redo keeps the rest of the redo history
    play({{'r', step(12), 13}, {'r', std::nullopt, 13}});
    EXPECT_FALSE(store.CanRedoMore() || store.RedoInProgress());
    // The redos put their states back on the undo side, with the same values.
    play({{'u', step(12), 12}});

    // A new change clears the redo history.
    ASSERT_TRUE(store.CanRedoMore());
    program.ProgramModified = false;
    EXPECT_TRUE(RecordUndoPoint(program, store, 2995));
    EXPECT_TRUE(program.ProgramModified);
    EXPECT_EQ(ComputeUndoRedoCommands(store, false, false), (UndoRedoCommands{true, false}));
    play({{'r', std::nullopt, 12}, {'u', UndoStep{2995, 0}, 12}, {'u', step(11), 11}});
    // Simulation or a disabled editor turns both commands off.
    EXPECT_EQ(ComputeUndoRedoCommands(store, false, false), (UndoRedoCommands{true, true}));
    EXPECT_EQ(ComputeUndoRedoCommands(store, true, false), (UndoRedoCommands{false, false}));
    EXPECT_EQ(ComputeUndoRedoCommands(store, false, true), (UndoRedoCommands{false, false}));
    play({{'u', step(10), 10}});
    EXPECT_EQ(ComputeUndoRedoCommands(store, false, false), (UndoRedoCommands{false, true}));
}

TEST_F(UndoRedoTest, FoldersAreNamedAfterVersionAndFileAndNumberedPerInstance) {
    EXPECT_EQ(store.UndoFolder(), folder("Undo", "Motor-0"));
    EXPECT_EQ(store.RedoFolder(), folder("Redo", "Motor-0"));
    EXPECT_TRUE(QFileInfo(store.RedoFolder()).isDir());
    // A second instance editing a program of the same name.
    {
        ClassUndoRedo second(root());
        ASSERT_TRUE(second.StartFolders(QStringLiteral("Motor.h53")));
        EXPECT_EQ(second.UndoFolder(), folder("Undo", "Motor-1"));
        EXPECT_EQ(second.RedoFolder(), folder("Redo", "Motor-1"));
        EXPECT_TRUE(second.AddUndoAction(program, 0, 0));
        EXPECT_TRUE(QFileInfo::exists(second.UndoFolder() + QStringLiteral("/_1_.undoredo")));
    }
    // Each instance removes only its own folders when it ends.
    EXPECT_FALSE(QFileInfo::exists(folder("Undo", "Motor-1")));
    EXPECT_TRUE(QFileInfo(store.UndoFolder()).isDir());

    // A name taken on one side only is skipped on both; only ".h53" is taken off.
    ASSERT_TRUE(QDir().mkpath(folder("Redo", "Pump-0")));
    ClassUndoRedo third(root());
    ASSERT_TRUE(third.StartFolders(QStringLiteral("Pump.h53")));
    EXPECT_EQ(third.UndoFolder(), folder("Undo", "Pump-1"));
    EXPECT_EQ(third.RedoFolder(), folder("Redo", "Pump-1"));
    ASSERT_TRUE(third.StartFolders(QStringLiteral("Old.t53")));
    EXPECT_EQ(third.UndoFolder(), folder("Undo", "Old.t53-0"));
}

TEST_F(UndoRedoTest, AnotherProgramForgetsTheHistoryAndSaveAsKeepsIt) {
    makeChanges(0, 4);
    store.PerformUndoAction(program);
    const QString oldUndo = store.UndoFolder();
    const QString oldRedo = store.RedoFolder();
    ASSERT_TRUE(store.StartFolders(QStringLiteral("Untitled.h53")));
    EXPECT_FALSE(QFileInfo::exists(oldUndo));
    EXPECT_FALSE(QFileInfo::exists(oldRedo));
    EXPECT_EQ(store.UndoFolder(), folder("Undo", "Untitled-0"));
    EXPECT_EQ(store.UndoIndex(), 0);
    EXPECT_EQ(store.RedoIndex(), 0);
    EXPECT_FALSE(store.CanUndoMore() || store.CanRedoMore());

    makeChanges(0, 3);
    store.PerformUndoAction(program);  // current 2, one redo step
    // Same base name in another folder: nothing to move.
    ASSERT_TRUE(store.MoveFolders(QStringLiteral("/elsewhere/Untitled.h53")));
    EXPECT_EQ(store.UndoFolder(), folder("Undo", "Untitled-0"));
    ASSERT_TRUE(QDir().mkpath(folder("Undo", "Pump-0")));  // another instance's
    ASSERT_TRUE(store.MoveFolders(QStringLiteral("/home/user/Pump.h53")));
    EXPECT_EQ(store.UndoFolder(), folder("Undo", "Pump-1"));
    EXPECT_EQ(store.RedoFolder(), folder("Redo", "Pump-1"));
    EXPECT_FALSE(QFileInfo::exists(folder("Undo", "Untitled-0")));
    EXPECT_EQ(snapshotCount(store.UndoFolder()), 2);
    EXPECT_EQ(store.PerformRedoAction(program), step(2));

    // A file somebody else left in the folder is not ours to delete.
    const QString foreign = store.UndoFolder() + QStringLiteral("/notes.txt");
    ASSERT_TRUE(writeFile(foreign));
    makeChanges(0, 1);
    const QString undo = store.UndoFolder();
    store.RemoveFolders();
    EXPECT_TRUE(QFile::exists(foreign));
    EXPECT_EQ(snapshotCount(undo), 0);
    EXPECT_FALSE(QFileInfo::exists(folder("Redo", "Pump-1")));
}

TEST_F(UndoRedoTest, ASnapshotThatCannotBeWrittenChangesNoHistory) {
    makeChanges(0, 3);
    store.PerformUndoAction(program);  // index 2, one redo step
    replaceFolderByFile(store.UndoFolder());
    EXPECT_FALSE(store.AddUndoAction(program, 99, 99));
    EXPECT_EQ(store.UndoIndex(), 2);
    EXPECT_EQ(store.UndoSlot(2), step(1));
    EXPECT_NE(store.UndoSlot(3), (UndoStep{99, 99}));
    EXPECT_EQ(snapshotCount(store.RedoFolder()), 1);
    // The edit itself goes ahead and is marked.
    program.ProgramModified = false;
    EXPECT_FALSE(RecordUndoPoint(program, store, 3));
    EXPECT_TRUE(program.ProgramModified);

    // A redo needs to keep the state it leaves on the undo side: without that it is refused.
    const Program before = program;
    EXPECT_FALSE(store.PerformRedoAction(program));
    EXPECT_EQ(program, before);
    EXPECT_EQ(store.RedoIndex(), 1);
    EXPECT_TRUE(store.CanRedoMore());
    EXPECT_FALSE(store.RedoInProgress());

    // Likewise an undo that cannot keep its redo snapshot.
    ASSERT_TRUE(store.StartFolders(QStringLiteral("Motor.h53")));
    makeChanges(0, 2);
    replaceFolderByFile(store.RedoFolder());
    const Program current = program;
    EXPECT_FALSE(store.PerformUndoAction(program));
    EXPECT_EQ(program, current);
    EXPECT_EQ(store.UndoIndex(), 2);
    EXPECT_EQ(snapshotCount(store.UndoFolder()), 2);
}

TEST_F(UndoRedoTest, DamagedSnapshotsAndVanishedFoldersChangeNothing) {
    makeChanges(0, 2);
    ASSERT_TRUE(writeFile(ClassUndoRedo::SnapshotPath(store.UndoFolder(), store.UndoIndex()),
                          "VERSION-1.5.7 : 1.0.0\r\n 0  0  0  0 \r\nMotor.h53\r\n\r\n 128  x  128\r\n"));
    const Program before = program;
    EXPECT_FALSE(store.PerformUndoAction(program));
    EXPECT_EQ(program, before);
    EXPECT_EQ(store.UndoIndex(), 2);
    EXPECT_FALSE(store.CanRedoMore());  // no redo step for an undo that did not happen

    ASSERT_TRUE(QDir(temp.path() + QStringLiteral("/AppData")).removeRecursively());
    EXPECT_FALSE(store.AddUndoAction(program, 1, 1));
    EXPECT_FALSE(store.CanUndoMore() || store.PerformUndoAction(program) || store.PerformRedoAction(program));
    // Save As on top of that starts afresh under the new name.
    EXPECT_TRUE(store.MoveFolders(QStringLiteral("Pump.h53")));
    EXPECT_TRUE(store.AddUndoAction(program, 1, 1));
    store.RemoveFolders();

    // Without folders nothing is written at all, least of all into the working directory.
    EXPECT_FALSE(store.AddUndoAction(program, 0, 0) || store.CanUndoMore() ||
                 store.PerformUndoAction(program));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/_1_.undoredo")) ||
                 QFileInfo::exists(QStringLiteral("_1_.undoredo")));
}

}  // namespace
}  // namespace bdx
