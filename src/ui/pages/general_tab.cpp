#include "ui/pages/general_tab.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
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

QHBoxLayout* Buttons(QWidget* tab, const char* read, const char* write) {
  auto* row = new QHBoxLayout;
  row->addWidget(MakeButton(tab, read, "Прочитать"));
  row->addWidget(MakeButton(tab, write, "Записать"));
  row->addStretch(1);
  return row;
}

}  // namespace

GeneralTab::GeneralTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_General"));
  auto* grid = new QGridLayout(this);
  int row = 0;
  for (auto [caption, name] :
       {std::pair{"Год", "ComboBox30"}, std::pair{"Месяц", "ComboBox29"},
        std::pair{"Число", "ComboBox28"}, std::pair{"Час", "ComboBox8"},
        std::pair{"Минута", "ComboBox9"}, std::pair{"Секунда", "ComboBox27"}}) {
    AddRow(grid, row++, 0, caption, MakeList(this, name));
  }
  grid->addLayout(Buttons(this, "Button51", "Button52"), row++, 1);

  QLineEdit* password = MakeEdit(this, "Edit7");
  password->installEventFilter(new PasswordKeys(password));
  AddRow(grid, row++, 0, "Пароль меню передней панели прибора", password);
  grid->addLayout(Buttons(this, "Button53", "Button54"), row++, 1);

  // The instrument's restart sits with its general settings.
  grid->addWidget(MakeButton(this, "Button50", "Сброс"), row++, 1);
  PushToTopLeft(grid);
}

}  // namespace qmx
