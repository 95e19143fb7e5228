#include "platform/message_dialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <memory>

#include "platform/esc_watcher.h"
#include "platform/form.h"

namespace {
MessageRecorder* activeRecorder = nullptr;

QString titleOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning: return QStringLiteral("Warnung");
    case MessageKind::Information: return QStringLiteral("Information");
    case MessageKind::Question: return QStringLiteral("Frage");
  }
  return {};
}

QMessageBox::Icon iconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// The window the box belongs to: it stays above that window and is centred on it. Right after
// a file dialog has closed no window is active for a moment under a real window manager, so
// the modal window running, or the window the user worked in last, stands in.
QWidget* ownerWindow() {
  if (QWidget* active = QApplication::activeWindow()) return active;
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return Form::lastActive();
}

// The texts come from Windows habits: CR LF or a lone CR break the line.
QString withLineBreaks(const QString& text) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t;
}
}  // namespace

MessageRecorder::MessageRecorder() : outer_(activeRecorder) { activeRecorder = this; }

MessageRecorder::~MessageRecorder() {
  if (activeRecorder == this) activeRecorder = outer_;
}

void MessageRecorder::answerWith(std::initializer_list<MessageAnswer> answers) {
  script_.assign(answers.begin(), answers.end());
  next_ = 0;
}

const std::vector<RecordedMessage>& MessageRecorder::messages() const { return messages_; }

void MessageRecorder::clear() { messages_.clear(); }

MessageAnswer MessageRecorder::record(const QString& text, MessageKind kind,
                                      MessageButtons buttons) {
  messages_.push_back({text, kind, buttons});
  MessageAnswer a = buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
  if (next_ < script_.size()) a = script_[next_++];
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (a == MessageAnswer::Ok) return MessageAnswer::Yes;
  return a;
}

int messageBoxMinimumWidth(const QString& title) {
  // Title bars use a larger, often bold font; the window manager adds its icon and its
  // buttons (close, minimise, maximise) on the same line.
  QFont titleFont = QApplication::font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
  return QFontMetrics(titleFont).horizontalAdvance(title) + 200;
}

QMessageBox* createMessageBox(const QString& text, MessageKind kind, MessageButtons buttons,
                              QWidget* parent) {
  auto* box = new QMessageBox(iconOf(kind), titleOf(kind), withLineBreaks(text),
                              QMessageBox::NoButton, parent);
  box->setTextFormat(Qt::PlainText);
  if (buttons == MessageButtons::Ok) {
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
  } else {
    QPushButton* yes = box->addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
    QPushButton* no = box->addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
    box->setDefaultButton(yes);
    box->setEscapeButton(no);
  }
  // The box sizes itself from its layout (a minimum width alone is overridden), so the
  // width goes in as a spacer across the whole layout.
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
    grid->addItem(new QSpacerItem(messageBoxMinimumWidth(titleOf(kind)), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  return box;
}

MessageAnswer showMessage(const QString& text, MessageKind kind, MessageButtons buttons) {
  if (activeRecorder) return activeRecorder->record(text, kind, buttons);
  EscWatcher::Suspend inputFlows;
  const std::unique_ptr<QMessageBox> box(
      createMessageBox(text, kind, buttons, ownerWindow()));
  box->exec();
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return box->clickedButton() == box->defaultButton() ? MessageAnswer::Yes : MessageAnswer::No;
}
