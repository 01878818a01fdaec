#include "blocks/model_selection.h"

#include <gtest/gtest.h>

#include <set>

#include "blocks/device_model.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

class ModelSelectionTest : public ::testing::Test {
  protected:
    // An ordinary first-generation block: Monday to Friday, 08:00 to 17:00.
    void addOrdinaryBlock(int index) { program.TimeSwitchParams[index] = {1, 1, 5, 8, 0, 17, 0}; }

    Program program;
    ScriptedPrompter prompter;
};

// No keeps everything; Yes to the list goes on to the conversion question.
TEST_F(ModelSelectionTest, UnconvertibleBlocksAreListedBeforeTheConversion) {
    program.TimeSwitchParams[2] = {1, 7, 6, 8, 0, 8, 0};
    program.TimeSwitchParams[4] = {1, 1, 7, 9, 15, 9, 15};
    prompter.queueReply(Reply::No);
    ASSERT_FALSE(ApplyModelSelection(program, {2, {}}, prompter));
    EXPECT_EQ(program.ModelIndex, 0);
    ASSERT_EQ(prompter.messages().size(), 1u);
    const Message box = prompter.messages()[0];
    EXPECT_EQ(box.text,
              QStringLiteral("Existing Time switch block (3 ,5) can not be modified as per the Advanced "
                             "Time Switch block due to invalid conditions.\r\nPlease check and "
                             "reconfigure them in the modified ladder program as per your requirement."));
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_EQ(box.buttons, (std::vector<Reply>{Reply::Yes, Reply::No}));
    EXPECT_EQ(box.caption, QStringLiteral("BRANTELDESK X"));
    EXPECT_EQ(program.TimeSwitchParams[2][1], 7);

    prompter.clear();
    prompter.queueReply(Reply::Yes);
    prompter.queueReply(Reply::Yes);
    ASSERT_TRUE(ApplyModelSelection(program, {1, {}}, prompter));
    EXPECT_EQ(prompter.messages().size(), 2u);
    EXPECT_EQ(program.ModelIndex, 8);
    EXPECT_EQ(program.TimeSwitchParams[2][1], 64);  // converted: Sunday
}

TEST_F(ModelSelectionTest, OrdinaryBlocksAreConvertedOnlyWhenTheUserAgrees) {
    addOrdinaryBlock(0);
    const Program before = program;
    prompter.queueReply(Reply::No);
    EXPECT_FALSE(ApplyModelSelection(program, {2, {true, false, false}}, prompter));
    EXPECT_EQ(program, before);  // not even marked modified

    prompter.clear();
    prompter.queueReply(Reply::Yes);
    ASSERT_TRUE(ApplyModelSelection(program, {2, {}}, prompter));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(
        prompter.messages()[0].text,
        QStringLiteral("Existing Time Switch block is not compatible with the selected CAT ID (Relaymaster "
                       "R7-HD-6A2T-L) \r\nPlease ensure a backup of the ladder program file as the software "
                       "will permanently modify it as per the new settings.\r\nDo you want to modify the "
                       "ladder program?"));
    EXPECT_EQ(program.ModelIndex, 9);
    EXPECT_TRUE(program.ProgramModified);
    EXPECT_EQ(program.TimeSwitchParams[0][1], 31);  // converted; the masks are the conversion's own
}

TEST_F(ModelSelectionTest, SecondGenerationBlocksCannotGoBack) {
    program.ModelIndex = 9;
    addOrdinaryBlock(0);
    EXPECT_FALSE(
        CheckTimeSwitchCompatibility(program, 1, QStringLiteral("Relaymaster R7-HD-6A2T-L"), prompter));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].buttons, (std::vector<Reply>{Reply::Ok}));
    EXPECT_EQ(
        prompter.messages()[0].text,
        QStringLiteral("Time Switch II block is not compatible with the selected CAT ID (Relaymaster "
                       "R7-HD-6A2T-L) \r\nPlease remove the time switch block(s) used in the existing ladder "
                       "program, then select the required CAT ID and reconfigure Time Switch block(s) as per "
                       "your requirement."));
}

// Selections that ask nothing: the model and modules taken, the program marked only when they change.
TEST_F(ModelSelectionTest, SelectionsThatNeedNoConversion) {
    using Modules = std::array<std::uint16_t, 3>;
    const struct {
        const char* name;
        int model;
        ModelSelection selection;
        int newModel;
        Modules modules;
        bool modified;
        std::uint8_t inUse = 1;
    } cases[] = {
        {"same generation: the block stays", 8, {4, {}}, 13, {0, 0, 0}, true},
        {"nothing changes", 12, {3, {false, false, false}}, 12, {0, 0, 0}, false},
        {"a module changes", 12, {3, {false, true, false}}, 12, {0, 1, 0}, true},
        {"no row keeps the model but takes the modules", 0, {0, {true, true, true}}, 0, {1, 1, 1}, true},
        {"a block not in use is not converted", 0, {2, {}}, 9, {0, 0, 0}, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        program = Program{};
        program.ModelIndex = static_cast<std::uint16_t>(c.model);
        addOrdinaryBlock(0);
        program.TimeSwitchParams[0][0] = c.inUse;
        EXPECT_TRUE(ApplyModelSelection(program, c.selection, prompter));
        EXPECT_TRUE(prompter.messages().empty());
        EXPECT_EQ(program.ModelIndex, c.newModel);
        EXPECT_EQ(program.ExtensionModules, c.modules);
        EXPECT_EQ(program.ProgramModified, c.modified);
        EXPECT_EQ(program.TimeSwitchParams[0][1], 1);
    }
}

std::set<int> indicesWhere(bool (*predicate)(int)) {
    std::set<int> result;
    for (int i = -2; i < kModelCount + 3; ++i) {
        if (predicate(i)) {
            result.insert(i);
        }
    }
    return result;
}

TEST(DeviceModelTest, PredicatesSelectTheDocumentedModels) {
    EXPECT_EQ(indicesWhere([](int i) { return HasDisplay(i); }), (std::set<int>{0, 1, 4, 6, 8, 9, 10, 11}));
    EXPECT_EQ(indicesWhere([](int i) { return HasAnalog(i); }), (std::set<int>{1, 3, 6, 7, 9, 11, 13, 15}));
    EXPECT_EQ(indicesWhere([](int i) { return AdvancedTimeSwitch(i); }),
              (std::set<int>{8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(indicesWhere([](int i) { return IsSecondGenerationDisplayModel(i); }),
              (std::set<int>{8, 9, 10, 11}));
    EXPECT_EQ(indicesWhere([](int i) { return ModelSupply(i) == SupplyKind::AC; }),
              (std::set<int>{0, 2, 8, 12}));
    EXPECT_EQ(indicesWhere([](int i) { return ModelSupply(i) == SupplyKind::DC; }),
              (std::set<int>{1, 3, 9, 13}));
    EXPECT_FALSE(ModelSupply(16).has_value());
}

TEST(DeviceModelTest, DialogRowsAndTheirModels) {
    EXPECT_EQ(ModelDialogRowForIndex(8), 1);
    EXPECT_EQ(ModelDialogRowForIndex(9), 2);
    EXPECT_EQ(ModelDialogRowForIndex(12), 3);
    EXPECT_EQ(ModelDialogRowForIndex(13), 4);
    for (int i : {0, 1, 7, 10, 11, 14, 15, 16}) {
        EXPECT_EQ(ModelDialogRowForIndex(i), 0) << i;
    }
    EXPECT_EQ(ModelIndexForDialogRow(2), 9);
    EXPECT_FALSE(ModelIndexForDialogRow(0).has_value());
    EXPECT_FALSE(ModelIndexForDialogRow(5).has_value());

    // The rows' texts name the model they select.
    SetLanguageOffset(English);
    for (const ModelDialogRow& row : kModelDialogRows) {
        const QString code = LoadText(row.modelCodeId);
        EXPECT_TRUE(QString::fromLatin1(ModelDisplayName(row.selectsIndex)).endsWith(code))
            << code.toStdString();
        EXPECT_EQ(LoadText(row.lcdId),
                  HasDisplay(row.selectsIndex) ? QStringLiteral("YES") : QStringLiteral("NO"));
        EXPECT_EQ(LoadText(row.analogInputsId) != QStringLiteral("None"), HasAnalog(row.selectsIndex));
        EXPECT_EQ(LoadText(row.progLinesId), QStringLiteral("250"));
    }
    EXPECT_EQ(LoadText(kModelDialogRows[1].digitalInputsId), QStringLiteral("6 : 12-24  V DC"));
}

}  // namespace
}  // namespace bdx
