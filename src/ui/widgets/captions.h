#pragma once

#include <QString>

class QLabel;
class QObject;
class QPushButton;
class QWidget;

namespace bdx {

// Names of the dynamic properties through which a window and its controls name their texts
// by language-table id. Only ids of 1 or more are replaced; other texts stay as designed.
inline constexpr const char* kTextIdProperty = "textId";                // caption / text / title
inline constexpr const char* kToolTipIdProperty = "toolTipId";          // tooltip
inline constexpr const char* kTabTextIdsProperty = "tabTextIds";        // QTabWidget / QTabBar: list of ids
inline constexpr const char* kHeaderTextIdsProperty = "headerTextIds";  // item views: column header ids

// Marks an object's text with an id.
void SetTextId(QObject* object, int id);

// A push button named `objectName` with the text of `textId`; never the dialog's default button
// by accident (Enter in a field must not start a device exchange).
QPushButton* CommandButton(QWidget* parent, const char* objectName, int textId);
// A label with the text of `textId`, naming `buddy` (its accelerator moves the focus there).
QLabel* CaptionLabel(QWidget* parent, int textId, QWidget* buddy = nullptr);

// A caption without its accelerator marks ("&&" keeps one), for window titles and tooltips.
QString WithoutAccelerators(const QString& caption);

// Replaces the captions of a window and of every control in it by texts of the current language,
// then names them for accessibility.
void ApplyCaptions(QWidget* window);

// Gives a window and every control in it without an accessible name of its own the text the user
// reads on it (title, caption, its label's text, tooltip), else its object name.
void NameForAccessibility(QWidget* window);

}  // namespace bdx
