// The window side of the serial line: the port lists, the baud, parity and
// address choices of the top bar and of the page "НАСТРОЙКИ ПРОГРАММЫ", the
// summary labels, and the handlers that re-open the port, set the INIT line
// and make the instrument blink.
//
// The program-wide line parameters live in the link; the controls are filled
// from them and read into them.  One controller serves a whole window; every
// widget of the window reaches it through LinkController::Of, so the top bar,
// the settings page and later pages share it without knowing each other.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/line_text.h"
#include "link/port_naming.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QWidget;

namespace qmx {

struct AppContext;

inline constexpr char kNoPortsText[] = "портов нет";
inline constexpr char kNoPortsMemoText[] = "Нет";
inline constexpr char kInitQuestion[] =
    "Текущие настройки связи будут изменены на значения для работы в режиме INIT.";
inline constexpr char kBlinkDescription[] = "Команда на мигание.";
inline constexpr uint16_t kBlinkRegister = 1046;

class LinkController final : public QObject {
  Q_OBJECT

 public:
  // The controller of the window `widget` lies in, made on first use.
  static LinkController& Of(AppContext& context, QWidget* widget);

  LinkController(AppContext& context, QWidget* window);

  // --- routines for handlers already running through the exchange gate ---
  // Finds the free ports, and notes the ones another program holds: those
  // are listed greyed, as "занят", and cannot be chosen.
  uint16_t EnumeratePorts();
  void FillPortLists();
  void ReadLineControls();
  void ShowLineSummary();
  // The controls follow the line parameters (ports, baud, parity boxes and
  // list, addresses) and the summary is rewritten; under the update guard.
  void FillLineControls();
  // Opens the port with the current line parameters and byte size 8.  With
  // `report_failure` 1 a failure shows the port error box; start-up passes 0.
  bool OpenPort(uint16_t report_failure);
  // CheckBox3 shows whether the exchange log is being written.
  void ShowLogSwitch();
  // The blink command without the poll stop: write 1046 = 1, report a failure.
  void SendBlinkCommand();
  // The tooltip of a port list: its hint, then the device of the port it
  // shows.  The lists call it whenever their selection changes.
  void ShowSelectedPortTip(QComboBox* list);

  // --- operator handlers ---------------------------------------------------
  void ComboBox38Change() { LineChoiceChanged(nullptr); }
  void ComboBox39Change() { LineChoiceChanged(nullptr); }
  void ComboBox1Change();
  void ComboBox2Change();
  void ComboBox3Change();
  void CheckBox1Click() { ParityBoxClicked(false); }
  void CheckBox2Click() { ParityBoxClicked(true); }
  void ComboBox55Change();
  void ComboBox40Change();
  // "Обновить список портов" and "Обновить".
  void BitBtn1Click() { RefreshPorts(); }
  void Button77Click() { RefreshPorts(); }
  // "Выставить INIT".
  void Button1Click();
  void CheckBox3Click();
  // "Помигать", "Проверить связь", "ПРОВЕРИТЬ СВЯЗЬ": the same command.
  void Button2Click() { Blink(); }
  void BitBtn4Click() { Blink(); }
  void BitBtn16Click() { Blink(); }

 private:
  template <class T>
  T* Control(const char* name) const;
  // Runs `action` through the exchange gate (at once when there is none).
  void RunOperatorAction(std::function<void()> action);
  // A list choice of the top bar or the settings page changed.  The handlers
  // read the line from the page's lists; a top-bar choice is first copied to
  // its twin there, so the top bar works as it reads.
  void LineChoiceChanged(const std::function<void()>& copy_to_page);
  void ParityBoxClicked(bool even_box_clicked);
  void RefreshPorts();
  void Blink();
  // Selects the configured port in `list` (else the last port found); a
  // busy port is shown, not selected.
  void SelectPort(QComboBox* list) const;
  // The device behind COM `number` when the ports are real devices; the
  // virtual instrument's ports have none the operator could look for.
  PortDevice Device(uint16_t number) const;
  bool IsBusy(uint16_t number) const;
  // "COM33 — /dev/ttyUSB0 (FTDI ...)", "" when no device is known.
  QString PortLine(uint16_t number, bool busy) const;

  AppContext& context_;
  QPointer<QWidget> window_;
  // The ports another program held at the last listing, in number order.
  std::vector<uint16_t> busy_ports_;
};

}  // namespace qmx
