// The instrument's recalculation of the flow to standard conditions: a
// small program of 32 operation codes (registers 1994-2025) and 16 constants
// (single floats, upper word first, in 2026-2057), which the messages call
// the virtual machine.  The program does not interpret the codes; the page
// "Пересчет к стандартным условиям" shows, edits, reads and writes them and
// keeps them in ".pgm" files.
//
// The values live in BlockValues::recalc_program (zero until the first read
// or load).  StringGrid2 shows code i in column 1, row i + 1, as "0x%04X";
// StringGrid3 shows constant i in column 1, row i + 1, as "%f".
//
// Taking the grids before a write or a save: a code cell must hold one to
// four hexadecimal digits, with or without "0x"; a constant cell that still
// shows the text the program put there keeps the constant held, to the last
// bit (the six decimals shown would cut 0.00366099 to 0.003661), and only an
// edited cell is converted, with "." as decimal point and within the
// single-float range.  Any other text stops the handler with the program's
// conversion message before anything is asked, sent or saved.
//
// Controls: StringGrid2 and StringGrid3 (cells by GridCellName),
// Button88 "Прочитать из файла", Button89 "Сохранить в файл",
// Button90 "Прочитать", Button91 "Записать".
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "blocks/block_engine.h"
#include "storage/recalc_program.h"

namespace qmx {

inline constexpr char kRecalcCodeGrid[] = "StringGrid2";
inline constexpr char kRecalcConstantGrid[] = "StringGrid3";
inline constexpr char kRecalcFileFilter[] = "программа|*.pgm";
inline constexpr uint16_t kRecalcFirstRegister = 1994;
inline constexpr uint16_t kRecalcFirstConstantRegister = 2026;

// The cells of code i (0..31) and constant i (0..15).
std::string RecalcCodeCell(int i);
std::string RecalcConstantCell(int i);

// An operation code as a cell takes it: blanks around, an optional "0x" or
// "0X", then one to four hexadecimal digits of either case.
std::optional<uint16_t> ParseRecalcCode(std::string_view text);

// Column 1 of both grids from the program.
void ShowRecalcProgram(Controls& controls, const RecalcProgram& program);

BlockOutcome Button88Click(BlockContext& ctx);  // "Прочитать из файла"
BlockOutcome Button89Click(BlockContext& ctx);  // "Сохранить в файл"
BlockOutcome Button90Click(BlockContext& ctx);  // "Прочитать"
BlockOutcome Button91Click(BlockContext& ctx);  // "Записать"

std::span<const Block* const> RecalculationBlocks();
std::span<const ButtonHandler> RecalculationButtons();

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> RecalculationConfigParts();

}  // namespace qmx
