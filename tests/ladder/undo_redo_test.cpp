#include "ladder/undo_redo.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "bdx_version.h"

namespace bdx {
namespace {

// A program that differs from its neighbours in grid, tables and texts.
Program numberedProgram(int n) {
    Program p;
    p.LadderGrid[3] = 'I';
    p.LadderGrid[4] = static_cast<std::uint16_t>(210 + n);
    p.LadderGrid[2999] = static_cast<std::uint16_t>(n);
    p.TimerParams[0][1] = static_cast<std::uint8_t>(n);
    p.LineComments[n % kLadderLines] = QStringLiteral("change %1").arg(n);
    p.PrintInfo[PrintInfoText::Author] = QStringLiteral("author %1").arg(n);
    return p;
}

int numberOf(const Program& p) {
    return p.LadderGrid[2999];
}

int snapshotCount(const QString& folder) {
    return static_cast<int>(QDir(folder).entryList({QStringLiteral("*.undoredo")}, QDir::Files).size());
}

void replaceFolderByFile(const QString& folder) {
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile file(folder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

class UndoRedoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        ASSERT_TRUE(store_.StartFolders(QStringLiteral("/home/user/Motor.h53")));
    }

    QString root() const { return temp_.path() + QStringLiteral("/AppData/Brantel Desk X/BRANTELDESK X"); }
    QString versionFolder() const {
        return root() + QStringLiteral("/Version ") + QString::fromLatin1(kVersionText);
    }

    // Records changes 0 .. count-1 the way the editor does: snapshot of program n with cell n,
    // then the program becomes n + 1.
    void makeChanges(Program& program, int first, int count) {
        for (int n = first; n < first + count; ++n) {
            program = numberedProgram(n);
            ASSERT_TRUE(
                store_.AddUndoAction(program, static_cast<std::int16_t>(n), static_cast<std::int16_t>(-n)));
        }
        program = numberedProgram(first + count);
    }

    QTemporaryDir temp_;
    ClassUndoRedo store_{root()};
};

TEST_F(UndoRedoTest, RingKeepsTheNewestTwentyFiveSnapshotsAndUndoesThemInReverse) {
    Program program;
    makeChanges(program, 0, 26);
    EXPECT_EQ(store_.UndoIndex(), 1);  // 26 snapshots from slot 1 on: the first one was overwritten
    EXPECT_EQ(snapshotCount(store_.UndoFolder()), ClassUndoRedo::kSlots);

    for (int n = 25; n >= 1; --n) {
        ASSERT_TRUE(store_.CanUndoMore()) << n;
        const std::optional<UndoStep> step = store_.PerformUndoAction(program);
        ASSERT_TRUE(step) << n;
        EXPECT_EQ(*step, (UndoStep{static_cast<std::int16_t>(n), static_cast<std::int16_t>(-n)}));
        EXPECT_EQ(numberOf(program), n);
        Program expected = numberedProgram(n);
        expected.ProgramModified = true;
        EXPECT_TRUE(program == expected) << n;
        if (n == 24) {
            EXPECT_EQ(store_.UndoIndex(), 24);  // slot 0 was undone: the ring goes on at 24
        }
    }
    EXPECT_FALSE(store_.CanUndoMore());
    EXPECT_FALSE(store_.PerformUndoAction(program));
    EXPECT_EQ(numberOf(program), 1);
    EXPECT_EQ(snapshotCount(store_.RedoFolder()), ClassUndoRedo::kSlots);
}

TEST_F(UndoRedoTest, UndoThenRedoReturnsToTheSameProgramAndCells) {
    Program program;
    makeChanges(program, 10, 3);  // snapshots of 10, 11, 12; current 13
    program.ProgramFileName = QStringLiteral("Renamed.h53");
    program.ProgramFilePath = QStringLiteral("/home/user/Renamed.h53");

    ASSERT_EQ(store_.PerformUndoAction(program), (UndoStep{12, -12}));
    ASSERT_EQ(store_.PerformUndoAction(program), (UndoStep{11, -11}));
    EXPECT_EQ(numberOf(program), 11);
    // A snapshot replaces the program but not the name it is saved under.
    EXPECT_EQ(program.ProgramFileName, QStringLiteral("Renamed.h53"));
    EXPECT_EQ(program.ProgramFilePath, QStringLiteral("/home/user/Renamed.h53"));
    EXPECT_TRUE(store_.CanRedoMore());

    EXPECT_EQ(store_.PerformRedoAction(program), (UndoStep{11, -11}));
    EXPECT_EQ(numberOf(program), 12);
    EXPECT_EQ(store_.PerformRedoAction(program), (UndoStep{12, -12}));
    EXPECT_EQ(numberOf(program), 13);
    EXPECT_FALSE(store_.CanRedoMore());
    EXPECT_FALSE(store_.PerformRedoAction(program));
    EXPECT_FALSE(store_.RedoInProgress());

    // The redos put their states back on the undo side, with the same cells.
    EXPECT_EQ(store_.PerformUndoAction(program), (UndoStep{12, -12}));
    EXPECT_EQ(numberOf(program), 12);
    EXPECT_EQ(store_.PerformUndoAction(program), (UndoStep{11, -11}));
    EXPECT_EQ(store_.PerformUndoAction(program), (UndoStep{10, -10}));
    EXPECT_EQ(numberOf(program), 10);
    EXPECT_FALSE(store_.CanUndoMore());
}

TEST_F(UndoRedoTest, OnlyANewChangeClearsTheRedoHistory) {
    Program program;
    makeChanges(program, 0, 3);
    store_.PerformUndoAction(program);
    store_.PerformUndoAction(program);
    ASSERT_EQ(snapshotCount(store_.RedoFolder()), 2);

    ASSERT_TRUE(store_.PerformRedoAction(program));
    EXPECT_EQ(snapshotCount(store_.RedoFolder()), 1);
    EXPECT_TRUE(store_.CanRedoMore());

    EXPECT_TRUE(RecordUndoPoint(program, store_, 7, nullptr));
    EXPECT_FALSE(store_.CanRedoMore());
    EXPECT_FALSE(store_.PerformRedoAction(program));
    EXPECT_EQ(store_.PerformUndoAction(program), (UndoStep{7, 0}));
}

TEST_F(UndoRedoTest, RecordUndoPointStoresRefreshesAndMarksModified) {
    Program program = numberedProgram(5);
    std::vector<UndoRedoCommands> seen;
    EXPECT_TRUE(RecordUndoPoint(program, store_, 2995,
                                [&] { seen.push_back(ComputeUndoRedoCommands(store_, false, false)); }));
    EXPECT_TRUE(program.ProgramModified);
    // The refresh already sees the new snapshot.
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], (UndoRedoCommands{true, false}));
    EXPECT_EQ(store_.UndoSlot(store_.UndoIndex()), (UndoStep{2995, 0}));

    // A failed snapshot does not stop the edit from being marked.
    replaceFolderByFile(store_.UndoFolder());
    program.ProgramModified = false;
    EXPECT_FALSE(RecordUndoPoint(program, store_, 3, [&] { seen.push_back({}); }));
    EXPECT_TRUE(program.ProgramModified);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(UndoRedoTest, CommandsFollowTheFoldersExceptDuringSimulationOrWhenDisabled) {
    Program program;
    EXPECT_EQ(ComputeUndoRedoCommands(store_, false, false), (UndoRedoCommands{false, false}));
    makeChanges(program, 0, 2);
    EXPECT_EQ(ComputeUndoRedoCommands(store_, false, false), (UndoRedoCommands{true, false}));
    store_.PerformUndoAction(program);
    EXPECT_EQ(ComputeUndoRedoCommands(store_, false, false), (UndoRedoCommands{true, true}));
    EXPECT_EQ(ComputeUndoRedoCommands(store_, true, false), (UndoRedoCommands{false, false}));
    EXPECT_EQ(ComputeUndoRedoCommands(store_, false, true), (UndoRedoCommands{false, false}));
    store_.PerformUndoAction(program);
    EXPECT_EQ(ComputeUndoRedoCommands(store_, false, false), (UndoRedoCommands{false, true}));
}

// ---- folders ----

TEST_F(UndoRedoTest, FoldersAreNamedAfterVersionAndFileAndNumberedPerInstance) {
    EXPECT_EQ(ClassUndoRedo::VersionFolderName(),
              QStringLiteral("Version ") + QString::fromLatin1(kVersionText));
    EXPECT_EQ(store_.UndoFolder(), versionFolder() + QStringLiteral("/Undo/Motor-0"));
    EXPECT_EQ(store_.RedoFolder(), versionFolder() + QStringLiteral("/Redo/Motor-0"));
    EXPECT_TRUE(QFileInfo(store_.UndoFolder()).isDir());
    EXPECT_TRUE(QFileInfo(store_.RedoFolder()).isDir());

    // A second instance editing a program of the same name; the extension is matched in any case.
    EXPECT_EQ(ClassUndoRedo::UndoFolderPathFor(root(), QStringLiteral("MOTOR.H53")),
              versionFolder() + QStringLiteral("/Undo/MOTOR-0"));
    EXPECT_EQ(ClassUndoRedo::UndoFolderPathFor(root(), QStringLiteral("Motor.h53")),
              versionFolder() + QStringLiteral("/Undo/Motor-1"));
    {
        ClassUndoRedo second(root());
        ASSERT_TRUE(second.StartFolders(QStringLiteral("Motor.h53")));
        EXPECT_EQ(second.UndoFolder(), versionFolder() + QStringLiteral("/Undo/Motor-1"));
        EXPECT_EQ(second.RedoFolder(), versionFolder() + QStringLiteral("/Redo/Motor-1"));
        Program program;
        EXPECT_TRUE(second.AddUndoAction(program, 0, 0));
        EXPECT_TRUE(QFileInfo::exists(second.UndoFolder() + QStringLiteral("/_1_.undoredo")));
    }
    // Each instance removes only its own folders when it ends.
    EXPECT_FALSE(QFileInfo::exists(versionFolder() + QStringLiteral("/Undo/Motor-1")));
    EXPECT_TRUE(QFileInfo(store_.UndoFolder()).isDir());

    // A name taken on one side only is skipped on both, so the pair keeps one name.
    ASSERT_TRUE(QDir().mkpath(versionFolder() + QStringLiteral("/Redo/Pump-0")));
    ClassUndoRedo third(root());
    ASSERT_TRUE(third.StartFolders(QStringLiteral("Pump.h53")));
    EXPECT_EQ(third.UndoFolder(), versionFolder() + QStringLiteral("/Undo/Pump-1"));
    EXPECT_EQ(third.RedoFolder(), versionFolder() + QStringLiteral("/Redo/Pump-1"));

    // Only ".h53" is taken off.
    ASSERT_TRUE(third.StartFolders(QStringLiteral("Old.t53")));
    EXPECT_EQ(third.UndoFolder(), versionFolder() + QStringLiteral("/Undo/Old.t53-0"));
}

TEST_F(UndoRedoTest, StartingAnotherProgramForgetsTheHistoryAndRemovesTheFolders) {
    Program program;
    makeChanges(program, 0, 4);
    store_.PerformUndoAction(program);
    const QString oldUndo = store_.UndoFolder();
    const QString oldRedo = store_.RedoFolder();

    ASSERT_TRUE(store_.StartFolders(QStringLiteral("Untitled.h53")));
    EXPECT_FALSE(QFileInfo::exists(oldUndo));
    EXPECT_FALSE(QFileInfo::exists(oldRedo));
    EXPECT_EQ(store_.UndoFolder(), versionFolder() + QStringLiteral("/Undo/Untitled-0"));
    EXPECT_EQ(store_.UndoIndex(), 0);
    EXPECT_EQ(store_.RedoIndex(), 0);
    EXPECT_FALSE(store_.CanUndoMore());
    EXPECT_FALSE(store_.CanRedoMore());
    EXPECT_FALSE(store_.PerformUndoAction(program));

    // Opening the same file again takes the number it had before.
    ASSERT_TRUE(store_.StartFolders(QStringLiteral("Motor.h53")));
    EXPECT_EQ(store_.UndoFolder(), oldUndo);

    // A file somebody else left in the folder is not ours to delete.
    QFile foreign(store_.UndoFolder() + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.close();
    makeChanges(program, 0, 1);
    store_.RemoveFolders();
    EXPECT_TRUE(foreign.exists());
    EXPECT_EQ(snapshotCount(oldUndo), 0);
    EXPECT_FALSE(QFileInfo::exists(oldRedo));
    EXPECT_TRUE(store_.UndoFolder().isEmpty());
}

TEST_F(UndoRedoTest, SaveAsMovesTheFoldersWithTheirHistory) {
    Program program;
    makeChanges(program, 0, 3);
    store_.PerformUndoAction(program);  // current 2, one redo step
    const QString oldUndo = store_.UndoFolder();

    // Same base name in another folder: nothing to move.
    ASSERT_TRUE(store_.MoveFolders(QStringLiteral("/elsewhere/Motor.h53")));
    EXPECT_EQ(store_.UndoFolder(), oldUndo);

    ASSERT_TRUE(QDir().mkpath(versionFolder() + QStringLiteral("/Undo/Pump-0")));  // another instance's
    ASSERT_TRUE(store_.MoveFolders(QStringLiteral("/home/user/Pump.h53")));
    EXPECT_EQ(store_.UndoFolder(), versionFolder() + QStringLiteral("/Undo/Pump-1"));
    EXPECT_EQ(store_.RedoFolder(), versionFolder() + QStringLiteral("/Redo/Pump-1"));
    EXPECT_FALSE(QFileInfo::exists(oldUndo));

    EXPECT_EQ(store_.PerformRedoAction(program), (UndoStep{2, -2}));
    EXPECT_EQ(numberOf(program), 3);
    EXPECT_EQ(store_.PerformUndoAction(program), (UndoStep{2, -2}));
    EXPECT_EQ(store_.PerformUndoAction(program), (UndoStep{1, -1}));
    EXPECT_EQ(store_.PerformUndoAction(program), (UndoStep{0, 0}));
    EXPECT_EQ(numberOf(program), 0);
}

// ---- failures ----

TEST_F(UndoRedoTest, ASnapshotThatCannotBeWrittenChangesNoHistory) {
    Program program;
    makeChanges(program, 0, 3);
    store_.PerformUndoAction(program);  // index 2, one redo step
    const int index = store_.UndoIndex();
    const UndoStep newest = store_.UndoSlot(index);

    replaceFolderByFile(store_.UndoFolder());
    EXPECT_FALSE(store_.AddUndoAction(program, 99, 99));
    EXPECT_EQ(store_.UndoIndex(), index);
    EXPECT_EQ(store_.UndoSlot(index), newest);
    EXPECT_NE(store_.UndoSlot(index + 1), (UndoStep{99, 99}));
    EXPECT_EQ(snapshotCount(store_.RedoFolder()), 1);

    // A redo needs to keep the state it leaves on the undo side: without that it is refused.
    const Program before = program;
    EXPECT_FALSE(store_.PerformRedoAction(program));
    EXPECT_TRUE(program == before);
    EXPECT_EQ(store_.RedoIndex(), 1);
    EXPECT_TRUE(store_.CanRedoMore());
    EXPECT_FALSE(store_.RedoInProgress());

    // Likewise an undo that cannot keep its redo snapshot.
    ASSERT_TRUE(store_.StartFolders(QStringLiteral("Motor.h53")));
    makeChanges(program, 0, 2);
    replaceFolderByFile(store_.RedoFolder());
    const Program current = program;
    EXPECT_FALSE(store_.PerformUndoAction(program));
    EXPECT_TRUE(program == current);
    EXPECT_EQ(store_.UndoIndex(), 2);
    EXPECT_EQ(snapshotCount(store_.UndoFolder()), 2);
}

TEST_F(UndoRedoTest, ADamagedSnapshotLeavesProgramAndHistoriesAlone) {
    Program program;
    makeChanges(program, 0, 2);
    QFile snapshot(ClassUndoRedo::SnapshotPath(store_.UndoFolder(), store_.UndoIndex()));
    ASSERT_TRUE(snapshot.open(QIODevice::WriteOnly | QIODevice::Truncate));
    snapshot.write("VERSION-1.5.7 : 1.0.0\r\n 0  0  0  0 \r\nMotor.h53\r\n\r\n 128  x  128\r\n");
    snapshot.close();

    const Program before = program;
    EXPECT_FALSE(store_.PerformUndoAction(program));
    EXPECT_TRUE(program == before);
    EXPECT_EQ(store_.UndoIndex(), 2);
    EXPECT_FALSE(store_.CanRedoMore());  // no redo step for an undo that did not happen
}

TEST_F(UndoRedoTest, VanishedFoldersNeitherCrashNorWriteElsewhere) {
    Program program;
    makeChanges(program, 0, 2);
    ASSERT_TRUE(QDir(temp_.path() + QStringLiteral("/AppData")).removeRecursively());

    EXPECT_FALSE(store_.AddUndoAction(program, 1, 1));
    EXPECT_FALSE(store_.CanUndoMore());
    EXPECT_FALSE(store_.PerformUndoAction(program));
    EXPECT_FALSE(store_.PerformRedoAction(program));
    // Save As on top of that starts afresh under the new name.
    EXPECT_TRUE(store_.MoveFolders(QStringLiteral("Pump.h53")));
    EXPECT_TRUE(store_.AddUndoAction(program, 1, 1));
    store_.RemoveFolders();

    // Without folders nothing is written at all, least of all into the working directory.
    ClassUndoRedo idle(temp_.path() + QStringLiteral("/idle"));
    EXPECT_FALSE(idle.AddUndoAction(program, 0, 0));
    EXPECT_FALSE(idle.CanUndoMore());
    EXPECT_FALSE(idle.PerformUndoAction(program));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/_1_.undoredo")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("_1_.undoredo")));
}

}  // namespace
}  // namespace bdx
