#include "ui/link_controller.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QWidget>
#include <algorithm>
#include <array>
#include <string_view>

#include "link/exchange_status.h"
#include "link/port_naming.h"
#include "operator/operation_report.h"
#include "ui/app_context.h"
#include "ui/button_states.h"
#include "ui/exchange_gate.h"

namespace qmx {
namespace {

constexpr uint16_t kInitBaudCode = kDefaultBaudCode;  // 19200
constexpr uint16_t kInitParityCode = 0;
constexpr uint16_t kInitAddress = 1;
// The baud list item a code the lists cannot show falls back to ("9600").
constexpr int kFallbackBaudIndex = 3;

// Sets the update guard for a scope and restores what it was, so fills that
// call each other never clear it early.
class GuardScope {
 public:
  explicit GuardScope(bool& guard) : guard_(guard), previous_(guard) { guard_ = true; }
  ~GuardScope() { guard_ = previous_; }
  GuardScope(const GuardScope&) = delete;
  GuardScope& operator=(const GuardScope&) = delete;

 private:
  bool& guard_;
  bool previous_;
};

void SelectIndex(QComboBox* list, int index) {
  if (list == nullptr) return;
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

// The property that keeps a port list's own hint while its tooltip also
// names the selected port's device.
constexpr char kHintProperty[] = "qmxHint";

bool ItemEnabled(const QComboBox* list, int index) {
  return (list->model()->flags(list->model()->index(index, 0)) & Qt::ItemIsEnabled) != 0;
}

// Shown in the list, greyed by the list itself, never chosen.
void DisableItem(QComboBox* list, int index) {
  if (auto* model = qobject_cast<QStandardItemModel*>(list->model())) {
    model->item(index)->setFlags(Qt::NoItemFlags);
  }
}

// One line of the found-ports box; a port another program holds in the
// greyed text of a disabled control.
struct MemoLine {
  QString text;
  bool busy = false;
};

void ShowMemoLines(QPlainTextEdit* memo, const std::vector<MemoLine>& lines) {
  memo->clear();
  QTextCursor cursor(memo->document());
  QTextCharFormat normal;
  QTextCharFormat greyed;
  greyed.setForeground(memo->palette().color(QPalette::Disabled, QPalette::Text));
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) cursor.insertBlock(QTextBlockFormat(), normal);
    cursor.insertText(lines[i].text, lines[i].busy ? greyed : normal);
  }
}

}  // namespace

LinkController& LinkController::Of(AppContext& context, QWidget* widget) {
  QWidget* window = widget->window();
  auto* controller = window->findChild<LinkController*>(QString(), Qt::FindDirectChildrenOnly);
  if (controller == nullptr) controller = new LinkController(context, window);
  return *controller;
}

LinkController::LinkController(AppContext& context, QWidget* window)
    : QObject(window), context_(context), window_(window) {
  setObjectName(QStringLiteral("LinkController"));
}

template <class T>
T* LinkController::Control(const char* name) const {
  return window_ == nullptr ? nullptr : window_->findChild<T*>(QLatin1String(name));
}

void LinkController::RunOperatorAction(std::function<void()> action) {
  qmx::RunOperatorAction(context_.gate, std::move(action));
}

uint16_t LinkController::EnumeratePorts() {
  const uint16_t count = context_.link.EnumeratePorts();
  busy_ports_.clear();
  // Only real devices can be held by another program; the probe only looks.
  auto* inspector = dynamic_cast<PortInspector*>(&context_.ports);
  if (inspector == nullptr) return count;
  const std::vector<uint16_t>& found = context_.link.found_ports();
  for (uint16_t number = kFirstPortNumber; number <= kLastPortNumber; ++number) {
    if (std::find(found.begin(), found.end(), number) == found.end() &&
        inspector->Probe(number) == PortFault::kBusy) {
      busy_ports_.push_back(number);
    }
  }
  return count;
}

PortDevice LinkController::Device(uint16_t number) const {
  auto* inspector = dynamic_cast<PortInspector*>(&context_.ports);
  return inspector != nullptr ? inspector->Describe(number) : PortDevice();
}

bool LinkController::IsBusy(uint16_t number) const {
  return std::find(busy_ports_.begin(), busy_ports_.end(), number) != busy_ports_.end();
}

QString LinkController::PortLine(uint16_t number, bool busy) const {
  const PortDevice device = Device(number);
  return device.path.empty() ? QString()
                             : QString::fromStdString(PortLineText(number, device, busy));
}

void LinkController::FillPortLists() {
  GuardScope guard(context_.update_guard);
  const std::vector<uint16_t>& found = context_.link.found_ports();
  const uint16_t configured = context_.link.line().port_number;
  // The free ports and the busy ones in number order, each described once.
  struct Listed {
    uint16_t number;
    bool busy;
    PortDevice device;
  };
  std::vector<Listed> listed;
  for (uint16_t number : found) listed.push_back({number, false, Device(number)});
  for (uint16_t number : busy_ports_) listed.push_back({number, true, Device(number)});
  std::sort(listed.begin(), listed.end(),
            [](const Listed& a, const Listed& b) { return a.number < b.number; });

  for (const char* name : {"ComboBox1", "ComboBox38"}) {
    auto* list = Control<QComboBox>(name);
    if (list == nullptr) continue;
    list->clear();
    if (found.empty()) {
      // Says there is nothing to choose; it is not a port to choose.
      list->addItem(QString::fromUtf8(kNoPortsText));
      DisableItem(list, 0);
    }
    for (const Listed& port : listed) {
      list->addItem(QString::fromStdString(PortName(port.number)), QVariant(int{port.number}));
      const int index = list->count() - 1;
      // The operator knows the adapter by its device, not by our COM number.
      std::string tip = port.device.path.empty() ? context_.ports.DevicePath(port.number)
                                                 : DeviceText(port.device);
      if (port.busy) {
        tip += kBusyPortMark;
        DisableItem(list, index);
      }
      list->setItemData(index, QString::fromStdString(tip), Qt::ToolTipRole);
    }
    // A number no port can have ("dev.dat" may hold anything) is still the
    // one every exchange tries: the lists show it rather than a port that is
    // not in use.
    if (configured < kFirstPortNumber || configured > kLastPortNumber) {
      list->addItem(QString::fromStdString(PortName(configured)), QVariant(int{configured}));
    }
    SelectPort(list);
    ShowSelectedPortTip(list);
  }

  auto* memo = Control<QPlainTextEdit>("Memo2");
  if (memo == nullptr) return;
  std::vector<MemoLine> lines;
  if (found.empty()) lines.push_back({QString::fromUtf8(kNoPortsMemoText), false});
  for (const Listed& port : listed) {
    lines.push_back(
        {QString::fromStdString(PortLineText(port.number, port.device, port.busy)), port.busy});
  }
  ShowMemoLines(memo, lines);
}

void LinkController::SelectPort(QComboBox* list) const {
  if (list == nullptr || list->count() == 0) return;
  const std::vector<uint16_t>& found = context_.link.found_ports();
  const int configured_number = context_.link.line().port_number;
  int configured = -1;
  int last_free = -1;
  for (int i = 0; i < list->count(); ++i) {
    const QVariant number = list->itemData(i);
    if (!number.isValid() || !ItemEnabled(list, i)) continue;
    if (number.toInt() == configured_number) configured = i;
    if (std::find(found.begin(), found.end(), number.toInt()) != found.end()) last_free = i;
  }
  list->setCurrentIndex(configured >= 0 ? configured : std::max(last_free, 0));
}

void LinkController::ShowSelectedPortTip(QComboBox* list) {
  if (list == nullptr) return;
  if (!list->property(kHintProperty).isValid()) {
    list->setProperty(kHintProperty, list->toolTip());
  }
  QString tip = list->property(kHintProperty).toString();
  const QVariant number = list->currentData();
  if (number.isValid()) {
    const auto port = static_cast<uint16_t>(number.toInt());
    const QString line = PortLine(port, IsBusy(port));
    if (!line.isEmpty()) tip = tip.isEmpty() ? line : tip + QLatin1Char('\n') + line;
  }
  list->setToolTip(tip);
}

void LinkController::ReadLineControls() {
  GuardScope guard(context_.update_guard);
  LineParameters& line = context_.link.line();
  // Each port entry carries its number; "портов нет" carries none.
  if (auto* ports = Control<QComboBox>("ComboBox38")) {
    const QVariant number = ports->currentData();
    if (number.isValid()) line.port_number = static_cast<uint16_t>(number.toInt());
  }
  if (auto* bauds = Control<QComboBox>("ComboBox39")) {
    const int index = bauds->currentIndex();
    line.baud_code = index >= 0 && index <= kLastBaudCode - kFirstBaudCode
                         ? static_cast<uint16_t>(index + kFirstBaudCode)
                         : kInitBaudCode;
  }
  // A list without a selection (an address the list cannot show, such as
  // the check-free 255) leaves its value alone rather than turning -1 into
  // a 16-bit code.
  if (auto* parities = Control<QComboBox>("ComboBox40")) {
    if (parities->currentIndex() >= 0)
      line.parity_code = static_cast<uint16_t>(parities->currentIndex());
  }
  if (auto* addresses = Control<QComboBox>("ComboBox55")) {
    if (addresses->currentIndex() >= 0) {
      line.network_address = static_cast<uint16_t>(addresses->currentIndex());
    }
  }
}

void LinkController::ShowLineSummary() {
  const LineParameters& line = context_.link.line();
  const QString text =
      QString::fromStdString(LineSummaryText(line.port_number, line.baud_code, line.parity_code));
  // The summary's text is the instrument's; the device goes to the tooltip.
  const QString device = PortLine(line.port_number, false);
  for (const char* name : {"Label7", "Label426"}) {
    if (auto* label = Control<QLabel>(name)) {
      label->setText(text);
      label->setToolTip(device);
    }
  }
}

void LinkController::FillLineControls() {
  GuardScope guard(context_.update_guard);
  const LineParameters& line = context_.link.line();
  SelectPort(Control<QComboBox>("ComboBox1"));
  SelectPort(Control<QComboBox>("ComboBox38"));
  const int baud_index =
      IsListedBaudCode(line.baud_code) ? line.baud_code - kFirstBaudCode : kFallbackBaudIndex;
  SelectIndex(Control<QComboBox>("ComboBox2"), baud_index);
  SelectIndex(Control<QComboBox>("ComboBox39"), baud_index);
  if (auto* parity_on = Control<QCheckBox>("CheckBox1")) {
    parity_on->setChecked(line.parity_code == 1 || line.parity_code == 2);
  }
  if (auto* even = Control<QCheckBox>("CheckBox2")) even->setChecked(line.parity_code == 2);
  SelectIndex(Control<QComboBox>("ComboBox40"), line.parity_code);
  SelectIndex(Control<QComboBox>("ComboBox3"), line.network_address);
  SelectIndex(Control<QComboBox>("ComboBox55"), line.network_address);
  ShowLineSummary();
}

bool LinkController::OpenPort(uint16_t report_failure) {
  const OpenResult result = context_.link.OpenCurrentPort(report_failure);
  if (!result.ok && report_failure == 1) context_.dialogs.PortError();
  return result.ok;
}

void LinkController::ShowLogSwitch() {
  if (auto* box = Control<QCheckBox>("CheckBox3")) {
    box->setChecked(context_.link.settings().use_log_file == 1);
  }
}

void LinkController::SendBlinkCommand() {
  const uint16_t value = 1;
  uint16_t exception = 0;
  const uint16_t status = context_.link.WriteMultipleRegisters(kBlinkRegister, 1, &value,
                                                               &exception, kBlinkDescription);
  // A command that only got through on a repetition still got through.
  if ((status & ~kStatusRepeated) != 0 || exception != 0) {
    OperationReport(context_.dialogs, status, exception);
  }
}

void LinkController::LineChoiceChanged(const std::function<void()>& copy_to_page) {
  if (context_.update_guard) return;
  QPointer<LinkController> self(this);
  RunOperatorAction([self, copy_to_page] {
    if (self == nullptr) return;
    AppContext& context = self->context_;
    if (copy_to_page) {
      GuardScope guard(context.update_guard);
      copy_to_page();
    }
    self->ReadLineControls();
    context.link.PumpEvents();
    if (self == nullptr) return;
    // Both bars show the line now in force, not the one they showed before.
    self->FillLineControls();
    self->OpenPort(1);
  });
}

void LinkController::ComboBox1Change() {
  LineChoiceChanged([this] {
    auto* source = Control<QComboBox>("ComboBox1");
    if (source != nullptr) SelectIndex(Control<QComboBox>("ComboBox38"), source->currentIndex());
  });
}

void LinkController::ComboBox2Change() {
  LineChoiceChanged([this] {
    auto* source = Control<QComboBox>("ComboBox2");
    if (source != nullptr) SelectIndex(Control<QComboBox>("ComboBox39"), source->currentIndex());
  });
}

void LinkController::ComboBox3Change() {
  LineChoiceChanged([this] {
    auto* source = Control<QComboBox>("ComboBox3");
    if (source != nullptr) SelectIndex(Control<QComboBox>("ComboBox55"), source->currentIndex());
  });
}

void LinkController::ParityBoxClicked(bool even_box_clicked) {
  // The two boxes only make sense together: "Четный" ticked means parity on
  // and even; "Паритет" cleared means none whatever "Четный" shows.
  auto* parity_on = Control<QCheckBox>("CheckBox1");
  auto* even = Control<QCheckBox>("CheckBox2");
  if (parity_on == nullptr || even == nullptr) return;
  uint16_t parity = 0;
  if (even_box_clicked && even->isChecked()) {
    parity = 2;
  } else if (parity_on->isChecked()) {
    parity = even->isChecked() ? 2 : 1;
  }
  LineChoiceChanged([this, parity] { SelectIndex(Control<QComboBox>("ComboBox40"), parity); });
}

void LinkController::ComboBox55Change() {
  if (context_.update_guard) return;
  QPointer<LinkController> self(this);
  // The address travels in every frame: it changes between exchanges only.
  RunOperatorAction([self] {
    if (self == nullptr) return;
    auto* addresses = self->Control<QComboBox>("ComboBox55");
    if (addresses == nullptr || addresses->currentIndex() < 0) return;
    self->context_.link.line().network_address = static_cast<uint16_t>(addresses->currentIndex());
    GuardScope guard(self->context_.update_guard);
    SelectIndex(self->Control<QComboBox>("ComboBox3"), addresses->currentIndex());
  });
}

void LinkController::ComboBox40Change() {
  if (context_.update_guard) return;
  auto* parities = Control<QComboBox>("ComboBox40");
  if (parities == nullptr || parities->currentIndex() < 0) return;
  LinkSettings& settings = context_.link.settings();
  settings.proposed_parity_code = static_cast<uint16_t>(parities->currentIndex());
  if (auto* label = Control<QLabel>("Label426")) {
    label->setText(QString::fromStdString(ProposedLineSummaryText(
        settings.line.port_number, settings.proposed_baud_code, settings.proposed_parity_code)));
  }
}

void LinkController::RefreshPorts() {
  QPointer<LinkController> self(this);
  RunOperatorAction([self] {
    if (self == nullptr) return;
    // Our own open port would fail its trial open and drop out of the list.
    self->context_.link.ClosePort();
    self->EnumeratePorts();
    self->FillPortLists();
    self->OpenPort(1);
  });
}

void LinkController::Button1Click() {
  QPointer<LinkController> self(this);
  RunOperatorAction([self] {
    if (self == nullptr) return;
    AppContext& context = self->context_;
    if (!context.dialogs.Question(kInitQuestion)) return;
    if (self->window_ != nullptr)
      ButtonStates::Of(self->context_, self->window_).StopMeasurementPollForCommand();
    LineParameters& line = context.link.line();
    line.baud_code = kInitBaudCode;
    line.parity_code = kInitParityCode;
    line.network_address = kInitAddress;
    self->FillLineControls();
    context.link.PumpEvents();
    if (self == nullptr) return;
    self->OpenPort(1);
  });
}

void LinkController::CheckBox3Click() {
  auto* box = Control<QCheckBox>("CheckBox3");
  if (box == nullptr) return;
  context_.link.settings().use_log_file = box->isChecked() ? 1 : 0;
}

void LinkController::Blink() {
  QPointer<LinkController> self(this);
  RunOperatorAction([self] {
    if (self == nullptr) return;
    if (self->window_ != nullptr)
      ButtonStates::Of(self->context_, self->window_).StopMeasurementPollForCommand();
    self->SendBlinkCommand();
  });
}

}  // namespace qmx
