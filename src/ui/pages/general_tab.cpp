#include "ui/pages/general_tab.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "registers/key_filters.h"
#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

constexpr int kPasswordLength = 4;

// Edit7 takes decimal digits only, at most four of them.  The limit is kept
// on typing rather than as the field's maximum length: the field follows
// Edit113, and a shorter copy there must not cut the password the page
// holds.
class PasswordKeys final : public QObject {
 public:
  explicit PasswordKeys(QLineEdit* edit) : QObject(edit), edit_(edit) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != edit_ || event->type() != QEvent::KeyPress) return false;
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text.size() != 1 || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7F) {
      return false;  // editing and navigation keys, shortcuts
    }
    if (!FilterEdit7Key(text.at(0).unicode())) return true;
    const qsizetype kept = edit_->text().size() - edit_->selectedText().size();
    return kept >= kPasswordLength;
  }

 private:
  QLineEdit* edit_;
};

QHBoxLayout* Buttons(QWidget* box, const char* read, const char* write) {
  auto* row = new QHBoxLayout;
  row->addWidget(MakeButton(box, read, "Прочитать"));
  row->addWidget(MakeButton(box, write, "Записать"));
  row->addStretch(1);
  return row;
}

}  // namespace

GeneralTab::GeneralTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_General"));
  auto* page = new QHBoxLayout(this);

  // A read shows the instrument's clock on the operator page "ВРЕМЯ"; a
  // write sends what these lists say.
  QGroupBox* clock = MakeGroup(this, "Время и дата прибора");
  auto* clock_grid = new QGridLayout(clock);
  int row = 0;
  for (auto [caption, name] :
       {std::pair{"Год", "ComboBox30"}, std::pair{"Месяц", "ComboBox29"},
        std::pair{"Число", "ComboBox28"}, std::pair{"Час", "ComboBox8"},
        std::pair{"Минута", "ComboBox9"}, std::pair{"Секунда", "ComboBox27"}}) {
    AddRow(clock_grid, row++, 0, caption, MakeList(clock, name));
  }
  QLabel* note = MakeCaption(clock, "Прочитанное время\nпоказывается на странице\n«ВРЕМЯ».");
  clock_grid->addWidget(note, row++, 0, 1, 2);
  clock_grid->addLayout(Buttons(clock, "Button51", "Button52"), row++, 0, 1, 2);
  page->addWidget(clock, 0, Qt::AlignTop);

  auto* right = new QVBoxLayout;
  QGroupBox* menu = MakeGroup(this, "Пароль экранного меню");
  auto* menu_grid = new QGridLayout(menu);
  QLineEdit* password = MakeEdit(menu, "Edit7");
  password->installEventFilter(new PasswordKeys(password));
  AddRow(menu_grid, 0, 0, "Пароль меню передней панели прибора", password);
  menu_grid->addLayout(Buttons(menu, "Button53", "Button54"), 1, 0, 1, 2);
  right->addWidget(menu);

  // The instrument's restart sits with its general settings.
  QGroupBox* restart = MakeGroup(this, "Перезапуск прибора");
  auto* restart_row = new QHBoxLayout(restart);
  restart_row->addWidget(MakeButton(restart, "Button50", "Сброс"));
  restart_row->addStretch(1);
  right->addWidget(restart);
  right->addStretch(1);
  page->addLayout(right);
  page->addStretch(1);
}

}  // namespace qmx
