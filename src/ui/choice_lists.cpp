#include "ui/choice_lists.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>
#include <QWidget>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "registers/value_formats.h"

namespace qmx {
namespace {

QString Decimal(unsigned value) {
  return QString::fromStdString(FormatLongDecimal(value));
}

// Right-aligned in three places, as the address and averaging lists show
// their numbers ("%3u").
QString ThreePlaces(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%3u", value);
  return QString::fromLatin1(text);
}

QStringList Numbers(unsigned first, unsigned last, QString (*format)(unsigned) = Decimal) {
  QStringList items;
  items.reserve(static_cast<qsizetype>(last - first + 1));
  for (unsigned value = first; value <= last; ++value) items << format(value);
  return items;
}

QStringList Texts(std::initializer_list<const char*> texts) {
  QStringList items;
  for (const char* text : texts) items << QString::fromUtf8(text);
  return items;
}

struct ChoiceList {
  std::vector<const char*> names;
  QStringList items;
};

// The interval and cleaning-time lists: item 0 switches the function off.
QStringList OffThenSeconds() {
  QStringList items = Texts({"выкл."});
  items << Numbers(1, 3600);
  return items;
}

void Fill(QComboBox* list, const QStringList& items) {
  const QSignalBlocker quiet(list);
  const int selected = list->currentIndex();
  list->clear();
  list->addItems(items);
  list->setCurrentIndex(selected < list->count() ? selected : -1);
}

struct Hint {
  const char* name;
  const char* text;
};

constexpr Hint kHints[] = {
    {"ComboBox1", "Номер порта"},
    {"ComboBox2", "Скорость обмена"},
    {"ComboBox3", "Сетевой номер модуля"},
    {"ComboBox14", "Новая скорость обмена"},
    {"ComboBox15", "Новый номер модуля"},
    {"ComboBox20", "Дополнительный временной зазор в приборе в мс"},
    {"ComboBox21", "Дополнительный временной зазор в программе в мс"},
    {"ComboBox22", "Начальный адрес поиска"},
    {"ComboBox23", "Последний адрес поиска"},
    {"CheckBox1", "Разрешение использования проверки паритета при обмене"},
    {"CheckBox2", "При обмене используется проверка на четный паритет"},
    {"CheckBox3", "При выставлении флажка пишем лог обмена в файл"},
    {"Button1", "Выставить параметры обмена с модулем в режиме INIT"},
    {"Button2", "Включить мигание светодиода в модуле "},
    {"ListBox1", "Список найденных устройств"},
    {"CheckBox23", "Модуль будет искаться на скорости 1200"},
    {"CheckBox24", "Модуль будет искаться на скорости 2400"},
    {"CheckBox25", "Модуль будет искаться на скорости 4800"},
    {"CheckBox26", "Модуль будет искаться на скорости 9600"},
    {"CheckBox27", "Модуль будет искаться на скорости 19200"},
    {"CheckBox28", "Модуль будет искаться на скорости 38400"},
    {"CheckBox29", "Модуль будет искаться на скорости 57600"},
    {"CheckBox30", "Модуль будет искаться на скорости 115200"},
    {"CheckBox31", "Модуль будет искаться обменом без паритета"},
    {"CheckBox32", "Модуль будет искаться обменом с нечетным паритетом"},
    {"CheckBox33", "Модуль будет искаться обменом с четным паритетом"},
};

}  // namespace

void FillChoiceLists(QWidget* root) {
  if (root == nullptr) return;
  const ChoiceList lists[] = {
      // Baud rates: item index + 3 is the baud code.
      {{"ComboBox2", "ComboBox39", "ComboBox46", "ComboBox14"},
       Texts({"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"})},
      {{"ComboBox40", "ComboBox47"}, Texts({"Без паритета", "Нечетный", "Четный"})},
      // Network addresses 0..247.
      {{"ComboBox3", "ComboBox15", "ComboBox22", "ComboBox23", "ComboBox45", "ComboBox55"},
       Numbers(0, 247, ThreePlaces)},
      {{"ComboBox5", "ComboBox31", "ComboBox34"}, Numbers(0, 100, ThreePlaces)},
      // Dates and times: days and months count from 1, years from 2017 (the
      // first item stays 2017, so index + 2017 is the year) up to 2099.
      {{"ComboBox17", "ComboBox28", "ComboBox51"}, Numbers(1, 31)},
      {{"ComboBox18", "ComboBox29", "ComboBox52"}, Numbers(1, 12)},
      {{"ComboBox19", "ComboBox30", "ComboBox53"}, Numbers(2017, 2099)},
      {{"ComboBox8", "ComboBox48"}, Numbers(0, 23)},
      {{"ComboBox9", "ComboBox27", "ComboBox49", "ComboBox50"}, Numbers(0, 59)},
      {{"ComboBox58", "ComboBox54"}, OffThenSeconds()},
      {{"ComboBox36"}, Numbers(0, 3600)},
      {{"ComboBox4", "ComboBox41"}, Texts({"м куб/сек", "л/сек", "м куб/час", "л/час"})},
      {{"ComboBox7", "ComboBox57"}, Texts({"метры куб.", "литры"})},
      {{"ComboBox6"}, Texts({"уставка", "направление", "частота", "импульсный"})},
      {{"ComboBox42"}, Texts({"частота", "импульсный"})},
      {{"ComboBox35", "ComboBox56"},
       Texts({"Суммарный объем", "Прямой объем", "Обратный объем", "Объем суммарный по модулю"})},
      // Float byte orders, in code order.
      {{"ComboBox16"}, Texts({"0 1 2 3", "2 3 0 1", "1 0 3 2", "3 2 1 0"})},
      // Filter times of the converter.
      {{"ComboBox10"},
       Texts({"4 ms", "8 ms", "16 ms", "32 ms", "40 ms", "48 ms", "60 ms", "101 ms 90dB(60 Hz)",
              "120 ms 80dB(50 Hz)", "120 ms 65dB(50 Hz)", "160 ms 66dB(50 Hz)",
              "200 ms 69dB(50 Hz)", "240 ms 70dB(50 Hz)", "320 ms 72dB(50 Hz)",
              "480 ms 74dB(50 Hz)"})},
      {{"ComboBox33"}, Texts({"Никель 1000"})},
  };
  for (const ChoiceList& list : lists) {
    for (const char* name : list.names) {
      if (auto* box = root->findChild<QComboBox*>(QLatin1String(name))) Fill(box, list.items);
    }
  }
  for (const Hint& hint : kHints) {
    if (auto* widget = root->findChild<QWidget*>(QLatin1String(hint.name))) {
      widget->setToolTip(QString::fromUtf8(hint.text));
    }
  }
}

}  // namespace qmx
