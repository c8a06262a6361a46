#pragma once

// The view's message list: the titles and texts of the warnings the bridge shows. Each warning reads its
// entries by the indexes below; `messageAt` keeps a reader inside the list whatever its length.

#include <QString>
#include <QStringList>

namespace message_list {

// A keyboard-family macro longer than its 192-byte slot was cut.
constexpr int kMacroCutTitle = 0;
constexpr int kMacroCutText = 1;
// The picture chosen in the image picker cannot be read; the chosen path follows the text.
constexpr int kImageUnreadableTitle = 2;
constexpr int kImageUnreadableText = 3;
// The question before a setting that changes how the mouse's buttons behave.
constexpr int kConfirmChangeTitle = 4;
constexpr int kConfirmChangeText = 5;

constexpr int kEntries = 6;

} // namespace message_list

// The list with our English texts, passed through the translators (context "MessageList").
QStringList makeMessageList();

// Entry `index` of `messages`, or an empty text when the list has no such entry.
QString messageAt(const QStringList& messages, int index);
