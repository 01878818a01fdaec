#include "blocks/device_model.h"

#include <gtest/gtest.h>

#include <set>

#include "shell/language_table.h"

namespace bdx {
namespace {

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
