#include "ui/pages/adc_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <functional>
#include <optional>

#include "operator/controls.h"
#include "registers/key_filters.h"
#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

// A field changed by the operator and not written since: painted cyan.
void MarkChanged(QWidget* widget) {
  const Rgb c = kColorChanged;
  widget->setStyleSheet(
      QStringLiteral("background-color: rgb(%1, %2, %3);").arg(c.r).arg(c.g).arg(c.b));
}

// The ADC-code limits take hexadecimal digits only; a lower-case a-f is
// entered as its capital.  Pasted text is held to hexadecimal digits by the
// validator and shown in capitals as well.
class HexCodeKeys final : public QObject {
 public:
  using Filter = std::function<std::optional<char32_t>(char32_t)>;
  HexCodeKeys(QLineEdit* edit, Filter filter)
      : QObject(edit), edit_(edit), filter_(std::move(filter)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != edit_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return true;
    const QString text = key->text();
    if (text.size() != 1 || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7F) {
      return false;  // editing and navigation keys, shortcuts
    }
    const std::optional<char32_t> accepted = filter_(text.at(0).unicode());
    if (accepted && *accepted != text.at(0).unicode()) {
      edit_->insert(QString::fromUcs4(&*accepted, 1));
      return true;
    }
    return !accepted;
  }

 private:
  QLineEdit* edit_;
  Filter filter_;
};

QLineEdit* MakeCodeEdit(QWidget* page, const char* name, HexCodeKeys::Filter filter) {
  QLineEdit* edit = MakeEdit(page, name);
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]*")), edit));
  edit->installEventFilter(new HexCodeKeys(edit, std::move(filter)));
  QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
    const QString upper = text.toUpper();
    if (upper != text) {
      const int cursor = edit->cursorPosition();
      edit->setText(upper);
      edit->setCursorPosition(cursor);
    }
  });
  return edit;
}

}  // namespace

AdcPage::AdcPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Adc"));
  auto* grid = new QGridLayout(this);
  int row = 0;

  QLineEdit* lower =
      MakeCodeEdit(this, "Edit17", [](char32_t key) { return FilterEdit17Key(key).key; });
  connect(lower, &QLineEdit::textChanged, lower, [lower] { MarkChanged(lower); });
  AddRow(grid, row++, 0, "Нижняя граница кодов АЦП (HEX)", lower);
  AddRow(grid, row++, 0, "Верхняя граница кодов АЦП (HEX)",
         MakeCodeEdit(this, "Edit18", FilterEdit18Key));

  QComboBox* conversion = MakeList(this, "ComboBox10");
  AddRow(grid, row++, 0, "Время преобразования АЦП", conversion);
  connect(conversion, &QComboBox::activated, conversion, [conversion] { MarkChanged(conversion); });
  int number = 1;
  for (const char* name : {"ComboBox11", "ComboBox12", "ComboBox13"}) {
    QComboBox* list = MakeList(this, name);
    const QString caption = QStringLiteral("Настройка АЦП %1").arg(++number);
    grid->addWidget(MakeCaption(this, caption.toUtf8().constData()), row, 0);
    grid->addWidget(list, row++, 1);
    connect(list, &QComboBox::activated, list, [list] { MarkChanged(list); });
  }
  QCheckBox* enable = MakeCheckBox(this, "CheckBox17", "Настройка АЦП 5");
  connect(enable, &QCheckBox::clicked, enable, [enable] { MarkChanged(enable); });
  grid->addWidget(enable, row++, 0, 1, 2);
  PushToTopLeft(grid);
}

}  // namespace qmx
