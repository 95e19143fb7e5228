#include "platform/line_edit.h"

#include <QFontMetricsF>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>
#include <cmath>
#include <limits>
#include <utility>

#include "core/text.h"

namespace {

// Takes every text as it is but for the three characters; the edit puts the mended text in
// its place with the caret where it was (one character for one).
class SingleLineValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& /*pos*/) const override {
    input = kolvex::EinzeiligerEintrag(std::move(input));
    return Acceptable;
  }
};

}  // namespace

void liftTextLimit(QLineEdit* edit) {
  if (edit) edit->setMaxLength(std::numeric_limits<int>::max());
}

void keepSingleLine(QLineEdit* edit) {
  if (!edit || edit->validator()) return;
  edit->setValidator(new SingleLineValidator(edit));
  const QString einzeilig = kolvex::EinzeiligerEintrag(edit->text());
  if (einzeilig == edit->text()) return;
  const int caret = edit->cursorPosition();
  edit->setText(einzeilig);
  edit->setCursorPosition(caret);
}

void keepFieldsSingleLine(QWidget* widget) {
  if (!widget) return;
  for (QLineEdit* edit : widget->findChildren<QLineEdit*>()) keepSingleLine(edit);
}

void setTextFromStart(QLineEdit* edit, const QString& text) {
  // The same text again changes nothing the user sees, nor where typing goes on.
  if (!edit || edit->text() == text) return;
  edit->setText(text);
  edit->setCursorPosition(0);
}

void setResultFromStart(QLineEdit* edit, const QString& text) {
  if (!edit) return;
  if (edit->text() != text) edit->setText(text);
  edit->deselect();
  edit->setCursorPosition(0);
}

int wholeTextWidth(const QLineEdit* edit, const QString& text) {
  if (!edit) return 0;
  // The style option the edit paints its frame with (QLineEdit::initStyleOption).
  QStyleOptionFrame option;
  option.initFrom(edit);
  option.rect = edit->contentsRect();
  option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  if (edit->isReadOnly()) option.state |= QStyle::State_ReadOnly;
  option.features = QStyleOptionFrame::None;
  const QRect inhalt = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
  const QMargins textRand = edit->textMargins();
  // QLineEdit keeps 2 pixels on either side of the text line.
  constexpr int kZeilenRand = 2;
  const int zeile = inhalt.width() - textRand.left() - textRand.right() - 2 * kZeilenRand;
  const int ringsum = edit->width() - zeile;

  // The edit shows the text unscrolled when the left overhang, the rounded advance, one
  // pixel for the caret and the right overhang fit its text line.
  const QFontMetricsF fm(edit->font());
  const int links = static_cast<int>(std::ceil(std::max(0.0, -fm.minLeftBearing())));
  const int rechts = static_cast<int>(std::ceil(std::max(0.0, -fm.minRightBearing())));
  const int breite = static_cast<int>(std::ceil(fm.horizontalAdvance(text)));
  return ringsum + links + breite + 1 + rechts;
}
