// "Конфигурация прибора": the instrument's configuration as a whole, in a
// window of its own beside the pages.  Read it from the instrument (every
// part, with its progress and a Stop that ends after the part in progress),
// keep it in a file, open one, and compare two: the instrument with a file,
// or the instrument now with what was read before (two instruments on one
// bus: read one, change the address, read the other).  "Записать в прибор"
// writes the parts of the chosen groups that differ, after one question
// that lists them, and shows the comparison again with what the instrument
// reads back.
#pragma once

#include <QDialog>
#include <QPointer>
#include <optional>
#include <string>

#include "config/configuration.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace qmx {

struct AppContext;

class ConfigurationDialog final : public QDialog {
  Q_OBJECT

 public:
  ConfigurationDialog(AppContext& context, QWidget* window);

  void ReadInstrument();
  void Stop() { stop_ = true; }
  void SaveToFile();
  void OpenFromFile();
  void WriteToInstrument();
  // The comparison table from what is held now.
  void ShowComparison();

 private:
  // The right-hand side: the file, or the instrument's earlier read.
  const Configuration* Other() const;
  void SetBusy(bool busy);
  void Error(const std::string& text);

  AppContext& context_;
  QPointer<QWidget> window_;
  std::optional<Configuration> instrument_;
  std::optional<Configuration> previous_;
  std::optional<Configuration> file_;
  std::string file_name_;
  bool stop_ = false;

  QPushButton* read_ = nullptr;
  QPushButton* stop_button_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* write_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QComboBox* other_ = nullptr;
  QCheckBox* only_differences_ = nullptr;
  QCheckBox* with_line_ = nullptr;
  QCheckBox* with_calibration_ = nullptr;
  QCheckBox* with_password_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace qmx
