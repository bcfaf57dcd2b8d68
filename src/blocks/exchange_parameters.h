// Exchange parameters and identity: how the instrument talks on the line
// (network number, baud rate, parity, the byte gap it allows) and what
// identifies it (model, factory number, versions, date of manufacture).
// Edited on the engineering tab "Параметры обмена" and on the operator page
// "ОБМЕН" of "НАСТРОЙКИ РАБОТЫ", which share the staged values: the passport
// values of the profile (NEW_DAT) and the exchange settings proposed for the
// instrument (NEW_COMM, kept with the link's settings).
//
// Controls:
//   tab "Параметры обмена":
//     ComboBox15  "Новый номер модуля"   1032 shown (the page's twin is sent)
//     ComboBox14  baud                   1033 shown, index = code - 3
//     CheckBox19, CheckBox20             1034 shown: parity on, even
//     Label208    summary of the proposed settings
//     Edit87 model 1024; Edit100 factory number 1025-1026 (Edit90, Edit91
//     its upper and lower word when "длинный" CheckBox34 is cleared);
//     Edit89 design version 1027; Edit88 software version 1028;
//     ComboBox17/18/19 day, month, year 1029-1031;
//     ComboBox20 byte gap 1051 ("ComboBox21" the program's own gap);
//     ComboBox16 float byte order (1302, read only), Edit86 reply delay
//     (hidden, kept in the program's settings only); Panel46 busy panel.
//   page "ОБМЕН":
//     ComboBox45 "СЕТЕВОЙ НОМЕР" 1032, ComboBox46 "СКОРОСТЬ" 1033,
//     ComboBox47 "ПАРИТЕТ" 1034: what every exchange write sends;
//     Label429 factory number, Label431 date, Label433 software version
//     (after BitBtn24 only).
//
// A successful write of 1032-1034 makes the instrument answer at the new
// settings; the program then follows it with its own port and closes the
// write lock over the new settings.  In INIT mode (1048 = 1) the instrument
// keeps talking at the INIT settings, and so does the program.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "blocks/block_engine.h"

namespace qmx {

inline constexpr char kExchangeBusyText[] = "Идет запись параметров обмена";
inline constexpr char kInitWarning[] =
    "Прибор находится в INIT режиме. Будьте внимательны при выборе параметров обмена.";
inline constexpr char kSettingsNeverReadQuestion[] =
    "Данные настроек еще ни разу не считывались, продолжить?";
// After a write the instrument took, the port could not follow it.
// The write's answer was lost, but the instrument answers at what it sent.
inline constexpr char kFoundAfterLostAnswerText[] =
    "Ответ прибора на запись параметров обмена не был получен, но прибор отвечает с новыми "
    "параметрами обмена: программа перешла на них.";
inline constexpr char kSwitchFailedText[] =
    "Прибор перешел на новые параметры обмена, но порт не удалось открыть с ними. "
    "Запись в прибор осталась разрешена: откройте порт с новыми параметрами и "
    "повторите запись.";

const std::vector<std::string>& AddressItems();  // "  0" ... "247"
const std::vector<std::string>& BaudItems();     // "1200" ... "115200"
const std::vector<std::string>& ParityItems();  // "Без паритета", "Нечетный", "Четный"
const std::vector<std::string>& FloatOrderItems();  // "0 1 2 3" ... "3 2 1 0"

BlockOutcome Button32Click(BlockContext& ctx);  // "Прочитать все на закладке"
BlockOutcome Button33Click(BlockContext& ctx);  // "Записать все на закладке"
BlockOutcome Button25Click(BlockContext& ctx);  // write exchange parameters (tab)
BlockOutcome BitBtn14Click(BlockContext& ctx);  // the same ("ОБМЕН")
BlockOutcome Button26Click(BlockContext& ctx);  // read factory number and date
BlockOutcome Button27Click(BlockContext& ctx);  // write them
BlockOutcome Button28Click(BlockContext& ctx);  // read model and versions
BlockOutcome Button29Click(BlockContext& ctx);  // write versions, then model
BlockOutcome BitBtn24Click(BlockContext& ctx);  // read the instrument's data ("ОБМЕН")
BlockOutcome Button30Click(BlockContext& ctx);  // read the byte gap
BlockOutcome Button31Click(BlockContext& ctx);  // write the byte gap
BlockOutcome Button24Click(BlockContext& ctx);  // read the float byte order (1302)

// The exchange display: every control of the tab and the page from the
// staged values (start-up, a profile load, every read).
void ShowExchangeValues(Controls& controls, BlockValues& values);
// The passport fields of the tab (model, factory number, date) into the
// profile's NEW_DAT values, before a profile save; false after the input-
// error boxes.
bool CollectPassport(BlockContext& ctx);
// "длинный" (CheckBox34): the factory number moves from the representation
// that was visible into the other one.  False when Edit90 or Edit91 does not
// hold an integer (nothing changes then).
bool CheckBox34Click(Controls& controls, Dialogs& dialogs, BlockValues& values);
// The parity check boxes of the tab after a click on one of them: the new
// parity code, both boxes set from it, the page's list and Label208.
void ParityBoxClicked(Controls& controls, BlockValues& values, bool even_box);
// The summary of the settings proposed for the instrument.
void ShowProposedSummary(Controls& controls, const BlockValues& values);
// The same summary from what the lists hold now (a list without a choice
// shows the staged value): after every change of the baud and parity lists.
void ShowListedSummary(Controls& controls, const BlockValues& values);

std::span<const Block* const> ExchangeBlocks();
std::span<const ButtonHandler> ExchangeButtons();
std::span<const ControlInfo> ExchangeUnboundControls();
std::span<const ControlTwin> ExchangeTwins();

// The exchange write's own steps, for a sequence that writes the exchange
// settings among other blocks: `sent` staged as what goes out (and as the
// settings proposed for the instrument), the INIT flag read (and a port that
// cannot take the new settings found out) before the unlock, and the
// program following the instrument once they went out.
void StageExchangeSettings(BlockValues& values, const std::array<uint16_t, 3>& sent);
BlockOutcome PrepareExchangeWrite(BlockContext& ctx, ExchangeResult& failed);
BlockOutcome FollowExchangeWrite(BlockContext& ctx);

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> ExchangeConfigParts();

}  // namespace qmx
