#pragma once
// The program's one message dialog. Every window shows its warnings, notes and questions
// through showMessage(); nothing else opens a QMessageBox.
#include <QString>
#include <initializer_list>
#include <vector>

enum class MessageKind { Warning, Information, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Modal box with the title "Warnung", "Information" or "Frage" and the buttons "OK" or
// "Ja"/"Nein". A CR ("\r", also "\r\n") in the text is a line break. Closing a Yes/No box
// without choosing answers No.
MessageAnswer showMessage(const QString& text, MessageKind kind,
                          MessageButtons buttons = MessageButtons::Ok);

class QMessageBox;
class QWidget;
// The box showMessage() shows (not yet shown; the caller owns it). It is at least as wide
// as its title needs beside the window manager's buttons, so a short text does not leave a
// box whose title bar cuts "Warnung" to "Wa…ung".
QMessageBox* createMessageBox(const QString& text, MessageKind kind, MessageButtons buttons,
                              QWidget* parent = nullptr);
// That least width for a title.
int messageBoxMinimumWidth(const QString& title);

struct RecordedMessage {
  QString text;
  MessageKind kind;
  MessageButtons buttons;
};

// Test hook: while an instance lives, no dialog is shown; each message is recorded and
// answered from the script. Recorders nest; the innermost one records.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  // Scripted answers, used in order. When the script is empty an OK box answers Ok and a
  // Yes/No box answers Yes. An answer that does not fit the buttons (Ok for Yes/No, Yes or
  // No for OK) is taken as the box's default (Yes resp. Ok).
  void answerWith(std::initializer_list<MessageAnswer> answers);
  const std::vector<RecordedMessage>& messages() const;
  void clear();

 private:
  friend MessageAnswer showMessage(const QString&, MessageKind, MessageButtons);
  MessageAnswer record(const QString& text, MessageKind kind, MessageButtons buttons);

  std::vector<RecordedMessage> messages_;
  std::vector<MessageAnswer> script_;
  size_t next_ = 0;
  MessageRecorder* outer_ = nullptr;
};
