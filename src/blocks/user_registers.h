// User registers: the instrument's eight general-purpose registers
// 65528-65535, which the service engineer reads and overwrites as raw
// 16-bit words on the page "Пользовательские регистры".
//
// The values live in the profile's user-register table (entries 8..15 are
// user registers 1..8), so a profile load changes what "Записать" sends and
// a read changes what the next profile save keeps.  The grid StringGrid1
// shows them in column 1, rows 1..8, as four upper-case hexadecimal digits;
// a row the operator has typed into since the last read or write is painted
// aqua (kColorChanged) until one of the buttons is pressed.
//
// Controls: StringGrid1 (its cells by GridCellName), Button47 "Прочитать",
// Button48 "Записать", Panel48 busy panel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "blocks/block_engine.h"
#include "storage/profile.h"

namespace qmx {

inline constexpr char kUserRegistersGrid[] = "StringGrid1";
inline constexpr char kUserRegistersHint[] = "Значения пользовательских регистров в HEX виде.";
inline constexpr uint16_t kFirstUserRegister = 65528;
inline constexpr int kUserRegisterCount = 8;
// Table entry of grid row 1.
inline constexpr int kFirstUserRegisterEntry = 8;
// The column of the values; row r (1..8) holds user register r.
inline constexpr int kUserRegisterColumn = 1;

// The cell of user register `row` (1..8).
std::string UserRegisterCell(int row);
// A value as its cell shows it: four upper-case hexadecimal digits.
std::string UserRegisterText(uint16_t value);
// A cell's text as the value to write: up to four hexadecimal digits of
// either case ("A" is 0x000A), an empty cell is 0.  Nothing for any other
// text (a pasted word, a fifth digit).
std::optional<uint16_t> ParseUserRegisterText(std::string_view text);

// Only column 1, rows 1..8 take the cursor and the editor.
bool StringGrid1SelectCell(int column, int row);

// The key filter of the grid's editor.  `key` is the typed character,
// `edit_row` the row the editor is open on and `kept_length` the number of
// characters of the cell that stay when the key goes in (the text without
// its selection).  Russian-layout letters on the keys of a-f become A-F;
// a hexadecimal digit, Enter or Backspace sets the row's changed-mark; the
// key to insert is returned, nothing when it is discarded (anything else,
// or a fifth digit).
std::optional<char32_t> StringGrid1KeyPress(UserRegisterTable& table, int edit_row,
                                            size_t kept_length, char32_t key);

// The background of column 1, rows 1..8: aqua where the row is marked,
// white elsewhere.
void PaintUserRegisters(Controls& controls, const UserRegisterTable& table);
// The table's entries 8..15 into the grid, and the marks painted.
void ShowUserRegisters(Controls& controls, const UserRegisterTable& table);

BlockOutcome Button47Click(BlockContext& ctx);  // "Прочитать"
BlockOutcome Button48Click(BlockContext& ctx);  // "Записать"

std::span<const Block* const> UserRegisterBlocks();
std::span<const ButtonHandler> UserRegisterButtons();

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> UserRegisterConfigParts();

}  // namespace qmx
