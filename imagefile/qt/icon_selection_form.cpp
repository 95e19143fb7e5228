#include "imagefile/qt/icon_selection_form.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "imagefile/qt/panels.h"

namespace imagefile {

namespace {
QColor toQColor(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
std::uint32_t fromQColor(const QColor& c) {
  return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
         (static_cast<std::uint32_t>(c.blue()) << 16);
}
}  // namespace

std::function<int(IconSelectionForm&)>& IconSelectionForm::runHook() {
  static std::function<int(IconSelectionForm&)> hook;
  return hook;
}

std::function<QColor(const QColor&)>& IconSelectionForm::colorHook() {
  static std::function<QColor(const QColor&)> hook;
  return hook;
}

IconSelectionForm::IconSelectionForm(const IconList& list, std::uint32_t transparentColor, QWidget* parent)
    : QDialog(parent), list_(list), transparentColor_(transparentColor) {
  setObjectName("IconSelectionForm");
  setWindowTitle("Select icon to import from file");
  SelectBox = new QListWidget(this);
  SelectBox->setObjectName("SelectBox");
  const char* kind = list.kind == IconList::kCursor ? "Cursor" : "Icon";
  int maxW = 0, maxH = 0;
  for (const auto& im : list.images) {
    SelectBox->addItem(QString("%1 %2 x %3 %4 bit").arg(kind).arg(im->width()).arg(im->height()).arg(im->bitCount()));
    maxW = std::max(maxW, im->width());
    maxH = std::max(maxH, im->height());
  }
  PreviewPanel = new DoubleBufferedPanel(this);
  PreviewPanel->setObjectName("PreviewPanel");
  PreviewPanel->bevelOuter = PanelFrame::Lowered;
  PreviewPanel->setFixedSize(std::max(193, maxW + 2), std::max(73, maxH + 2));
  PreviewPanel->onPaint = [this](QPainter& p) {
    if (preview_.isNull()) return;
    const QSize area = PreviewPanel->buffer().size();
    p.fillRect(QRect(QPoint(0, 0), area), toQColor(transparentColor_));
    p.drawImage((area.width() - preview_.width()) / 2, (area.height() - preview_.height()) / 2, preview_);
  };
  ColorLabel = new QLabel(this);
  ColorLabel->setObjectName("ColorLabel");
  ColorPanel = new PanelFrame(this);
  ColorPanel->setObjectName("ColorPanel");
  ColorPanel->bevelOuter = PanelFrame::Lowered;
  ColorPanel->setFixedSize(40, 20);
  ColorPanel->setCursor(Qt::PointingHandCursor);
  TransparentButton = new QPushButton("Transparent color...", this);
  TransparentButton->setObjectName("TransparentButton");
  NoteLabel = new QLabel("Note that writing of files with multiple icons is not supported.", this);
  NoteLabel->setObjectName("NoteLabel");
  NoteLabel->setWordWrap(true);
  OkButton = new QPushButton("OK", this);
  OkButton->setObjectName("OkButton");
  OkButton->setDefault(true);
  CancelButton = new QPushButton("Cancel", this);
  CancelButton->setObjectName("CancelButton");

  auto* colourRow = new QHBoxLayout;
  colourRow->addWidget(ColorPanel);
  colourRow->addWidget(ColorLabel, 1);
  colourRow->addWidget(TransparentButton);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  auto* main = new QVBoxLayout(this);
  main->addWidget(SelectBox, 1);
  main->addWidget(PreviewPanel, 0, Qt::AlignHCenter);
  main->addLayout(colourRow);
  main->addWidget(NoteLabel);
  main->addLayout(buttons);

  connect(SelectBox, &QListWidget::currentRowChanged, this, [this] { showImage(); });
  connect(TransparentButton, &QPushButton::clicked, this, [this] { chooseColor(); });
  connect(ColorPanel, &PanelFrame::clicked, this, [this] { chooseColor(); });
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  setTransparentColor(transparentColor);
  if (SelectBox->count() > 0) SelectBox->setCurrentRow(0);
}

int IconSelectionForm::selectedIndex() const { return std::max(0, SelectBox->currentRow()); }

void IconSelectionForm::setTransparentColor(std::uint32_t color) {
  transparentColor_ = color & 0xFFFFFF;
  const QColor c = toQColor(transparentColor_);
  ColorLabel->setText(QString("$%1").arg(transparentColor_, 6, 16, QLatin1Char('0')));
  ColorPanel->color = c;
  ColorPanel->update();
  PreviewPanel->update();
}

void IconSelectionForm::chooseColor() {
  const QColor current = toQColor(transparentColor_);
  const QColor chosen = colorHook() ? colorHook()(current) : QColorDialog::getColor(current, this);
  if (chosen.isValid()) setTransparentColor(fromQColor(chosen));
}

void IconSelectionForm::showImage() {
  const int i = SelectBox->currentRow();
  if (i < 0 || i >= list_.count()) return;
  const IconImage& im = *list_.images[static_cast<std::size_t>(i)];
  const std::vector<std::uint32_t> argb = im.toArgb();
  preview_ = QImage(im.width(), im.height(), QImage::Format_ARGB32);
  for (int y = 0; y < im.height(); ++y)
    std::memcpy(preview_.scanLine(y), argb.data() + static_cast<std::size_t>(y) * im.width(),
                static_cast<std::size_t>(im.width()) * 4);
  PreviewPanel->update();
}

bool IconSelectionForm::select(const IconList& list, int& index, std::uint32_t& transparentColor) {
  IconSelectionForm form(list, transparentColor);
  const int result = runHook() ? runHook()(form) : form.exec();
  if (result != QDialog::Accepted) return false;
  index = form.selectedIndex();
  transparentColor = form.transparentColor();
  return true;
}

}  // namespace imagefile
