#include "blocks/code_integrity.h"

#include <cstdio>
#include <string>

namespace qmx {
namespace {

constexpr char kReadText[] =
    "Контрольная сумма программной памяти и значение для сравнения прочитаны из прибора.";
constexpr char kRewriteQuestion[] =
    "Контрольная сумма прочитается из прибора будет записана в него, как значение для "
    "сравнения.";
constexpr char kRewrittenText[] =
    "Контрольная сумма прочитанная из прибора записана в него как значение для сравнения.";

CodeIntegrityValues& Integrity(BlockValues& v) {
  return v.code_integrity;
}

const Field kFields[] = {
    WordField(1150, [](BlockValues& v) -> uint16_t& { return Integrity(v).computed; }),
    WordField(1151, [](BlockValues& v) -> uint16_t& { return Integrity(v).reference; }),
};
// Shown in the panels as "%04X" (ShowChecksums), a form no row has.
const Block kBlock{.name = "контрольные суммы", .fields = kFields, .filled_at_startup = false};

// The rewrite sends the computed checksum, as last read, to the reference
// register; the staged reference stays what was read.
const Field kNewReferenceFields[] = {
    WordField(1151, [](BlockValues& v) -> uint16_t& { return Integrity(v).computed; }),
};
const Block kNewReferenceBlock{.name = "новое значение для сравнения",
                               .fields = kNewReferenceFields,
                               .filled_at_startup = false};

const Block* const kBlocks[] = {&kBlock};
const Block* const kNewReferenceBlocks[] = {&kNewReferenceBlock};

const Transaction kReadT[] = {{.start = 1150, .count = 2}};
const Transaction kWriteT[] = {
    {.start = 1151, .count = 1, .pause_before_ms = 100, .description = "Записать pgmcsacnt1."}};
const BlockOperation kRead{kReadT, kBlocks};
const BlockOperation kWrite{kWriteT, kNewReferenceBlocks};
const BlockOperation* const kReads[] = {&kRead};
const BlockOperation* const kWrites[] = {&kWrite};

const ButtonHandler kButtons[] = {{"Button43", &Button43Click}, {"Button44", &Button44Click}};
const ControlInfo kControls[] = {{"Panel39", ControlKind::kLabel},
                                 {"Panel40", ControlKind::kLabel}};

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
  return text;
}

void ShowChecksums(BlockContext& ctx) {
  ctx.controls.SetText("Panel39", Hex4(ctx.values.code_integrity.computed));
  ctx.controls.SetText("Panel40", Hex4(ctx.values.code_integrity.reference));
}

// The rewrite reads both values after the question and before the unlock,
// so that what goes to the reference is the checksum of this moment.
BlockOutcome ReadBeforeRewrite(BlockContext& ctx, ExchangeResult& failed) {
  failed = ReadBlock(ctx, kRead);
  if (ExchangeFailed(failed)) return BlockOutcome::kFailed;
  ShowChecksums(ctx);
  return BlockOutcome::kDone;
}

}  // namespace

BlockOutcome Button43Click(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kReads, .success = kReadText, .after_fill = &ShowChecksums});
}

BlockOutcome Button44Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kRewriteQuestion,
                               .success = kRewrittenText,
                               .writes = kWrites,
                               .read_state_word = false,
                               .before_unlock = &ReadBeforeRewrite});
}

std::span<const Block* const> CodeIntegrityBlocks() {
  return kBlocks;
}

std::span<const ButtonHandler> CodeIntegrityButtons() {
  return kButtons;
}

std::span<const ControlInfo> CodeIntegrityControls() {
  return kControls;
}

std::span<const ConfigPart> CodeIntegrityConfigParts() {
  static const ConfigPart parts[] = {
      {"checksums", ConfigGroup::kIdentity, &kRead},
  };
  return parts;
}

}  // namespace qmx
