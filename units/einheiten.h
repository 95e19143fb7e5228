#pragma once
// The unit conversion window. For now it holds what the calculation driver reads: the unit
// grid sg (column 1 the pair of units of a row, column 2 the factor) and cbInvers (convert
// the other way round).
#include "platform/form.h"

class QCheckBox;
class StringGrid;

class TfrEinheiten : public Form {
  Q_OBJECT

 public:
  explicit TfrEinheiten(QWidget* parent = nullptr);
  ~TfrEinheiten() override;

  StringGrid* sg = nullptr;
  QCheckBox* cbInvers = nullptr;
};

extern TfrEinheiten* frEinheiten;
