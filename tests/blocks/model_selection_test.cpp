#include "blocks/model_selection.h"

#include <gtest/gtest.h>

#include "blocks/device_model.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

class ModelSelectionTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageOffset(English); }
    void TearDown() override { SetLanguageOffset(English); }

    void addOrdinaryBlock(int index) { program.TimeSwitchParams[index] = {1, 1, 5, 8, 0, 17, 0}; }

    Program program;
    ScriptedPrompter prompter;
};

using Block = std::array<std::uint8_t, 7>;
constexpr Block kOrdinary = {1, 1, 5, 8, 0, 17, 0};  // Monday to Friday, 08:00 to 17:00
constexpr Block kSundayEight = {1, 7, 6, 8, 0, 8, 0};  // no day range the masks can hold

// Time switch block 1 before and after, the answers given, what the choice leaves.
TEST_F(ModelSelectionTest, ChoicesAndWhatTheyLeave) {
    using Modules = std::array<std::uint16_t, 3>;
    const struct {
        const char* name;
        int model;
        Block block;
        ModelSelection selection;
        std::vector<Reply> replies;
        bool accepted;
        int boxes, modelAfter;
        Modules modules;
        bool modified;
        std::uint8_t fromDay, toDay;
    } cases[] = {
        {"a block not in use needs no question", 0, {0, 7, 6, 8, 0, 8, 0}, {2, {}}, {}, true, 0, 9, {}, true, 7, 6},
        {"yes to the list goes on to the conversion", 0, kSundayEight, {1, {}}, {Reply::Yes, Reply::Yes}, true,
         2, 8, {}, true, 64, 64},
        {"declining the conversion keeps model, modules and blocks", 0, kOrdinary, {3, {true, false, false}},
         {Reply::No}, false, 1, 0, {}, false, 1, 5},
        {"the same generation needs no conversion", 8, kOrdinary, {4, {}}, {}, true, 0, 13, {}, true, 1, 5},
        {"the same model and modules change nothing", 12, {}, {3, {}}, {}, true, 0, 12, {}, false, 0, 0},
        {"a module alone is a change", 12, {}, {3, {false, true, false}}, {}, true, 0, 12, {0, 1, 0}, true, 0, 0},
        {"no row keeps the model but takes the modules", 0, {}, {0, {true, true, true}}, {}, true, 0, 0,
         {1, 1, 1}, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Program p;
        p.ModelIndex = static_cast<std::uint16_t>(c.model);
        p.TimeSwitchParams[0] = c.block;
        ScriptedPrompter answers;
        for (Reply reply : c.replies) {
            answers.queueReply(reply);
        }
        EXPECT_EQ(ApplyModelSelection(p, c.selection, answers), c.accepted);
        EXPECT_EQ(int(answers.messages().size()), c.boxes);
        EXPECT_EQ(p.ModelIndex, c.modelAfter);
        EXPECT_EQ(p.ExtensionModules, c.modules);
        EXPECT_EQ(p.ProgramModified, c.modified);
        EXPECT_EQ(p.TimeSwitchParams[0][1], c.fromDay);
        EXPECT_EQ(p.TimeSwitchParams[0][2], c.toDay);
    }
}

TEST_F(ModelSelectionTest, UnconvertibleBlocksAreListedAndNoRefuses) {
    program.TimeSwitchParams[2] = kSundayEight;
    program.TimeSwitchParams[4] = {1, 1, 7, 9, 15, 9, 15};
    prompter.queueReply(Reply::No);
    ASSERT_FALSE(ApplyModelSelection(program, {2, {}}, prompter));
    EXPECT_EQ(program.ModelIndex, 0);
    ASSERT_EQ(prompter.messages().size(), 1u);
    const Message& box = prompter.messages()[0];
    EXPECT_EQ(box.text,
              QStringLiteral("Existing Time switch block (3 ,5) can not be modified as per the Advanced "
                             "Time Switch block due to invalid conditions.\r\nPlease check and "
                             "reconfigure them in the modified ladder program as per your requirement."));
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_EQ(box.buttons, (std::vector<Reply>{Reply::Yes, Reply::No}));
    EXPECT_EQ(box.caption, QStringLiteral("BRANTELDESK X"));
    EXPECT_EQ(program.TimeSwitchParams[2][1], 7);
}

TEST_F(ModelSelectionTest, OrdinaryBlocksAreConvertedWhenTheUserAgrees) {
    addOrdinaryBlock(0);
    program.TimeSwitchParams[1] = {1, 1, 5, 22, 0, 6, 0};
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
    EXPECT_EQ(program.TimeSwitchParams[0][1], 31);
    EXPECT_EQ(program.TimeSwitchParams[0][2], 31);
    EXPECT_EQ(program.TimeSwitchParams[1][2], 62);
}

TEST_F(ModelSelectionTest, UndoHookRunsOnceBeforeARealChangeAndNeverOnARefusal) {
    addOrdinaryBlock(0);
    const Program before = program;
    int calls = 0;
    auto hook = [&] {
        ++calls;
        EXPECT_EQ(program, before);  // nothing written yet: the snapshot sees the old program
    };

    prompter.queueReply(Reply::No);
    EXPECT_FALSE(ApplyModelSelection(program, {2, {true, false, false}}, prompter, hook));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(program, before);  // not even marked modified

    prompter.queueReply(Reply::Yes);
    EXPECT_TRUE(ApplyModelSelection(program, {2, {}}, prompter, hook));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(program.TimeSwitchParams[0][1], 31);

    EXPECT_TRUE(ApplyModelSelection(program, {2, {}}, prompter, hook));  // same choice again
    EXPECT_EQ(calls, 1);
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

TEST_F(ModelSelectionTest, MessagesFollowTheLanguage) {
    addOrdinaryBlock(0);
    SetLanguageOffset(Polish);
    prompter.queueReply(Reply::No);
    EXPECT_FALSE(ApplyModelSelection(program, {2, {}}, prompter));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(prompter.messages()[0].text.startsWith(LoadText(208, Polish)));
    EXPECT_NE(LoadText(208, Polish), LoadText(208, English));
}

}  // namespace
}  // namespace bdx
