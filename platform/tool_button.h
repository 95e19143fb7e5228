#pragma once
// The flat buttons of the windows' tool rows. None takes the focus, so the keyboard stays
// where the user works.
#include <QIcon>
#include <QString>
#include <QStyle>

class QToolButton;
class QWidget;

// A 20-pixel picture button; with an empty picture it shows text instead.
QToolButton* WerkzeugKnopf(QWidget* eltern, const char* name, const QString& hinweis, bool umschalter,
                           const QIcon& symbol, const QString& text = QString());
// A button with one of the style's standard pictures and its text beside it.
QToolButton* TextBildKnopf(QWidget* eltern, const char* name, const QString& text, const QString& hinweis,
                           QStyle::StandardPixmap bild);
