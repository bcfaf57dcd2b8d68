#include "ui/pages/program_settings_page.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "ui/link_controller.h"

namespace qmx {
namespace {

QComboBox* MakeList(QWidget* parent, const char* name) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QLatin1String(name));
  list->setMinimumContentsLength(12);
  return list;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

}  // namespace

ProgramSettingsPage::ProgramSettingsPage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setObjectName(QStringLiteral("TabSheet_ProgramSettings"));

  auto* ports = MakeList(this, "ComboBox38");
  auto* bauds = MakeList(this, "ComboBox39");
  auto* parities = MakeList(this, "ComboBox40");
  auto* addresses = MakeList(this, "ComboBox55");
  auto* summary = new QLabel(this);
  summary->setObjectName(QStringLiteral("Label426"));
  summary->setFrameShape(QFrame::StyledPanel);
  summary->setFrameShadow(QFrame::Sunken);
  summary->setMinimumWidth(summary->fontMetrics().horizontalAdvance(
      QStringLiteral("COM255, 115200 , нечетный паритет   ")));
  auto* refresh = MakeButton(this, "BitBtn1", "Обновить список портов");
  auto* check = MakeButton(this, "BitBtn4", "Проверить связь");
  auto* found = new QPlainTextEdit(this);
  found->setObjectName(QStringLiteral("Memo2"));
  found->setReadOnly(true);

  // The line the program talks on, and the instrument's address on it.
  auto* link = new QGroupBox(QStringLiteral("Связь с прибором"), this);
  auto* settings = new QGridLayout(link);
  int row = 0;
  for (auto [caption, list] :
       {std::pair{"Порт", ports}, std::pair{"Скорость", bauds}, std::pair{"Паритет", parities},
        std::pair{"СЕТЕВОЙ АДРЕС", addresses}}) {
    settings->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
    settings->addWidget(list, row, 1);
    ++row;
  }
  settings->addWidget(summary, row++, 0, 1, 2);
  settings->addWidget(refresh, row++, 0, 1, 2);
  settings->addWidget(check, row++, 0, 1, 2);
  settings->setRowStretch(row, 1);

  auto* computer = new QGroupBox(QStringLiteral("Порты компьютера"), this);
  auto* found_column = new QVBoxLayout(computer);
  auto* found_caption = new QLabel(QStringLiteral("ДОСТУПНЫЕ ПОРТЫ"), computer);
  found_caption->setBuddy(found);
  found_column->addWidget(found_caption);
  found_column->addWidget(found, 1);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(link);
  layout->addSpacing(24);
  layout->addWidget(computer);
  layout->addStretch(1);

  // activated(): the operator's choices only, never the program's fills.
  connect(ports, &QComboBox::activated, this, [this] { Controller().ComboBox38Change(); });
  // The tooltip names the device of whatever port the list shows.
  connect(ports, &QComboBox::currentIndexChanged, this,
          [this, ports] { Controller().ShowSelectedPortTip(ports); });
  connect(bauds, &QComboBox::activated, this, [this] { Controller().ComboBox39Change(); });
  connect(parities, &QComboBox::activated, this, [this] { Controller().ComboBox40Change(); });
  connect(addresses, &QComboBox::activated, this, [this] { Controller().ComboBox55Change(); });
  connect(refresh, &QPushButton::clicked, this, [this] { Controller().BitBtn1Click(); });
  connect(check, &QPushButton::clicked, this, [this] { Controller().BitBtn4Click(); });
}

LinkController& ProgramSettingsPage::Controller() {
  return LinkController::Of(context_, this);
}

}  // namespace qmx
