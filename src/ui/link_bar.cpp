#include "ui/link_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSizePolicy>

#include "ui/link_controller.h"

namespace qmx {
namespace {

QComboBox* MakeList(QWidget* parent, const char* name, const char* hint) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QLatin1String(name));
  list->setToolTip(QString::fromUtf8(hint));
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return list;
}

QCheckBox* MakeBox(QWidget* parent, const char* name, const char* caption, const char* hint) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QLatin1String(name));
  box->setToolTip(QString::fromUtf8(hint));
  return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                        const char* hint = nullptr) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QLatin1String(name));
  if (hint != nullptr) button->setToolTip(QString::fromUtf8(hint));
  return button;
}

}  // namespace

LinkBar::LinkBar(AppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  setObjectName(QStringLiteral("LinkBar"));

  auto* ports = MakeList(this, "ComboBox1", "Номер порта");
  auto* bauds = MakeList(this, "ComboBox2", "Скорость обмена");
  auto* addresses = MakeList(this, "ComboBox3", "Сетевой номер модуля");
  auto* parity_on = MakeBox(this, "CheckBox1", "Паритет",
                            "Разрешение использования проверки паритета при обмене");
  auto* even =
      MakeBox(this, "CheckBox2", "Четный", "При обмене используется проверка на четный паритет");
  auto* summary = new QLabel(this);
  summary->setObjectName(QStringLiteral("Label7"));
  summary->setMinimumWidth(summary->fontMetrics().horizontalAdvance(
      QStringLiteral("COM255, 115200 , нечетный паритет ")));
  auto* log_switch = MakeBox(this, "CheckBox3", "Запись обмена в файл",
                             "При выставлении флажка пишем лог обмена в файл");
  auto* init = MakeButton(this, "Button1", "Выставить INIT",
                          "Выставить параметры обмена с модулем в режиме INIT");
  auto* blink = MakeButton(this, "Button2", "Помигать", "Включить мигание светодиода в модуле ");
  auto* refresh = MakeButton(this, "Button77", "Обновить");
  // The instrument restart; the block controller connects it with the other
  // device commands.
  auto* restart = MakeButton(this, "Button78", "Перезапуск");

  // Captions above their lists, as on the instrument's other tools.
  auto* lists = new QGridLayout;
  lists->setContentsMargins(0, 0, 0, 0);
  lists->addWidget(new QLabel(QStringLiteral("Номер порта"), this), 0, 0);
  lists->addWidget(ports, 1, 0);
  lists->addWidget(new QLabel(QStringLiteral("Скорость"), this), 0, 1);
  lists->addWidget(bauds, 1, 1);
  lists->addWidget(new QLabel(QStringLiteral("Сетевой адрес"), this), 0, 2);
  lists->addWidget(addresses, 1, 2);
  lists->addWidget(parity_on, 0, 3);
  lists->addWidget(even, 1, 3);
  lists->addWidget(new QLabel(QStringLiteral("Параметры обмена"), this), 0, 4);
  lists->addWidget(summary, 1, 4);
  lists->addWidget(log_switch, 0, 5, 2, 1);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->addLayout(lists);
  layout->addStretch(1);
  for (QPushButton* button : {init, blink, refresh, restart}) layout->addWidget(button);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

  // activated() is the operator's choice only: the program's own fills never
  // reach the handlers, and the update guard stays as the second line.
  connect(ports, &QComboBox::activated, this, [this] { Controller().ComboBox1Change(); });
  // The tooltip names the device of whatever port the list shows.
  connect(ports, &QComboBox::currentIndexChanged, this,
          [this, ports] { Controller().ShowSelectedPortTip(ports); });
  connect(bauds, &QComboBox::activated, this, [this] { Controller().ComboBox2Change(); });
  connect(addresses, &QComboBox::activated, this, [this] { Controller().ComboBox3Change(); });
  connect(parity_on, &QCheckBox::clicked, this, [this] { Controller().CheckBox1Click(); });
  connect(even, &QCheckBox::clicked, this, [this] { Controller().CheckBox2Click(); });
  connect(log_switch, &QCheckBox::clicked, this, [this] { Controller().CheckBox3Click(); });
  connect(init, &QPushButton::clicked, this, [this] { Controller().Button1Click(); });
  connect(blink, &QPushButton::clicked, this, [this] { Controller().Button2Click(); });
  connect(refresh, &QPushButton::clicked, this, [this] { Controller().Button77Click(); });
}

LinkController& LinkBar::Controller() {
  return LinkController::Of(context_, this);
}

}  // namespace qmx
