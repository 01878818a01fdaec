#pragma once

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace bdx {

// A field that takes digits only, at most one more than the five a counter value holds, so that
// an over-long value can still be typed and then be corrected.
QLineEdit* DigitField(const char* name, QWidget* parent);
// Adds "C1".."C16" to a list.
void AddCounterNames(QComboBox* list);
// A label with its caption from the language table, whose mnemonic moves to `buddy`.
QLabel* BuddyLabel(int textId, const char* name, QWidget* buddy, QWidget* parent);

}  // namespace bdx
