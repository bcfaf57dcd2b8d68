#include "blocks/module_parameters.h"

#include <array>
#include <string>

#include "blocks/module_data.h"
#include "registers/input_parsing.h"

namespace qmx {
namespace {

constexpr uint16_t kSoftwareVersionRegister = 1326;

constexpr Field kModuleFields[] = {
    WordsField(
        1280, 42,
        [](BlockValues& v) { return std::span<uint16_t>(v.module_parameters.words).first(42); }),
    WordsField(
        1322, 8,
        [](BlockValues& v) { return std::span<uint16_t>(v.module_parameters.words).last(8); }),
};

// The cut-off limits the instrument applies, beside the cut-off itself.
constexpr ControlRow kModuleRows[] = {
    {.control = "Label271", .reg = 1300, .show = Show::kText, .form = TextForm::kFloatStandard},
    {.control = "Label273", .reg = 1304, .show = Show::kText, .form = TextForm::kFloatStandard},
    {.control = "Label275", .reg = 1302, .show = Show::kText, .form = TextForm::kFloatStandard},
};

constexpr Block kModuleBlock{
    .name = "параметры модуля измерения",
    .fields = kModuleFields,
    .rows = kModuleRows,
    .filled_at_startup = false,
};

constexpr ControlRow Word(std::string_view control, uint16_t reg, TextForm form) {
  return {.control = control, .reg = reg, .show = Show::kText, .form = form};
}
constexpr ControlRow Decimal(std::string_view control, uint16_t reg) {
  return Word(control, reg, TextForm::kDecimal);
}
constexpr ControlRow Float(std::string_view control, uint16_t reg) {
  return Word(control, reg, TextForm::kFloatStandard);
}

// The module's page: the same staged words, shown in full.  The two bytes of
// the software version (Label383, Label384) are shown by ShowVersionBytes.
constexpr ControlRow kModulePageRows[] = {
    Word("Label249", 1280, TextForm::kWordHex),
    Float("Label386", 1282),
    Decimal("Label337", 1284),
    Float("Label252", 1286),
    Float("Label253", 1288),
    Float("Label262", 1298),
    Float("Label263", 1300),
    Float("Label265", 1302),
    Float("Label264", 1304),
    Decimal("Label365", 1322),
    Decimal("Label367", 1323),
    Decimal("Label369", 1324),
    Decimal("Label371", 1325),
    Word("Label373", kSoftwareVersionRegister, TextForm::kWordHex),
    Decimal("Label375", 1327),
    Decimal("Label377", 1328),
    Decimal("Label379", 1329),
};

constexpr Block kModulePageBlock{
    .name = "страница параметров модуля измерения",
    .fields = kModuleFields,
    .rows = kModulePageRows,
    .filled_at_startup = false,
};

constexpr Field kCutOffFields[] = {
    FloatField(1957, [](BlockValues& v) -> float& { return v.cut_off.cut_off; }),
    WordsField(1959, 2, [](BlockValues& v) { return std::span<uint16_t>(v.cut_off.kept); }),
};

constexpr ControlRow kCutOffRows[] = {
    {.control = "Edit114",
     .reg = 1957,
     .show = Show::kText,
     .form = TextForm::kFloatShort,
     .take = Take::kFloat,
     .failure = kFloatInputError},
};

constexpr Block kCutOffBlock{.name = "отсечка", .fields = kCutOffFields, .rows = kCutOffRows};

constexpr Transaction kReadTransactions[] = {
    {.start = 1280, .count = 42, .pause_before_ms = 100, .pause_after_ms = 100},
    {.start = 1957, .count = 4},
    {.start = 1322, .count = 8, .pause_after_ms = 100},
};
constexpr const Block* kReadBlocks[] = {&kModuleBlock, &kCutOffBlock};
constexpr BlockOperation kRead{kReadTransactions, kReadBlocks};

void ShowVersionBytes(BlockContext& ctx) {
  const uint16_t version =
      ctx.values.module_parameters.words[kSoftwareVersionRegister - ModuleParameterValues::kFirst];
  ctx.controls.SetText("Label383", std::to_string(version >> 8) + ".");
  ctx.controls.SetText("Label384", std::to_string(version & 0xFFu));
}

constexpr const BlockOperation* kPageReads[] = {&kRead};
constexpr const Block* kPageFills[] = {&kModulePageBlock};

// --- the error-analysis mask ---------------------------------------------------

// The mask the instrument was last sent is the one the settings profile
// keeps ("err_msk").
constexpr Field kMaskFields[] = {
    WordField(
        1969,
        [](BlockValues& v) -> uint16_t& { return v.profile.error_mask.izm_flow_v_err_hi_msk; }),
    WordField(
        1970,
        [](BlockValues& v) -> uint16_t& { return v.profile.error_mask.izm_flow_v_err_lo_msk; }),
};

constexpr Transaction kMaskWriteTransactions[] = {
    {.start = 1969,
     .count = 2,
     .pause_after_ms = 400,
     .description = "запись маски анализа ошибок от модуля измерения"},
};

// One row per check box, from the cells the tab is laid out with, so that
// the box that shows a bit is the box that sends it.  Every bit of both
// words has its box, so what is sent is exactly the ticked boxes.
const Block& ErrorMaskBlock() {
  static const std::array<ControlRow, 32> rows = [] {
    std::array<ControlRow, 32> all{};
    for (unsigned bit = 0; bit < 16; ++bit) {
      const auto mask = static_cast<uint16_t>(1u << bit);
      all[bit] = {
          .control = kModuleHiCells[bit].check_box, .reg = 1969, .bit = mask, .take = Take::kBit};
      all[16 + bit] = {
          .control = kModuleLoCells[bit].check_box, .reg = 1970, .bit = mask, .take = Take::kBit};
    }
    return all;
  }();
  static const Block block{.name = "маска анализа ошибок модуля измерения",
                           .fields = kMaskFields,
                           .rows = rows,
                           .filled_at_startup = false};
  return block;
}

const BlockOperation& ErrorMaskWrite() {
  static const Block* const blocks[] = {&ErrorMaskBlock()};
  static const BlockOperation write{kMaskWriteTransactions, blocks};
  return write;
}

// --- the module's line ------------------------------------------------------------

constexpr Field kToConnectorFields[] = {CommandField(1072, 1)};
constexpr Field kToInstrumentFields[] = {CommandField(1072, 0)};
constexpr Block kToConnectorBlock{.name = "модуль измерения к технологическому разъему",
                                  .fields = kToConnectorFields};
constexpr Block kToInstrumentBlock{.name = "модуль измерения к прибору",
                                   .fields = kToInstrumentFields};
constexpr Transaction kLinkWriteTransactions[] = {
    {.start = 1072,
     .count = 1,
     .pause_after_ms = 400,
     .description = "запись разрешения связи модуля измерения с технологическим разъемом"},
};
constexpr const Block* kToConnectorBlocks[] = {&kToConnectorBlock};
constexpr const Block* kToInstrumentBlocks[] = {&kToInstrumentBlock};
constexpr BlockOperation kToConnectorWrite{kLinkWriteTransactions, kToConnectorBlocks};
constexpr BlockOperation kToInstrumentWrite{kLinkWriteTransactions, kToInstrumentBlocks};
constexpr const BlockOperation* kToConnectorWrites[] = {&kToConnectorWrite};
constexpr const BlockOperation* kToInstrumentWrites[] = {&kToInstrumentWrite};

const ButtonHandler kButtons[] = {
    {"Button65", &Button65Click},
    {"Button84", &Button84Click},
    {"Button86", &Button86Click},
    {"Button87", &Button87Click},
};

const ControlInfo kUnboundControls[] = {
    {"Label383", ControlKind::kLabel, nullptr},
    {"Label384", ControlKind::kLabel, nullptr},
};

}  // namespace

const Block& ModuleParameterBlock() {
  return kModuleBlock;
}
const Block& CutOffBlock() {
  return kCutOffBlock;
}
const BlockOperation& ModuleParametersAndCutOffRead() {
  return kRead;
}

BlockOutcome Button65Click(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kPageReads,
                       .fills = kPageFills,
                       .success = kModuleParametersReadText,
                       .after_fill = &ShowVersionBytes});
}

BlockOutcome Button84Click(BlockContext& ctx) {
  static const BlockOperation* const writes[] = {&ErrorMaskWrite()};
  return RunGuardedWrite(
      ctx,
      {.confirmation = kErrorMaskQuestion, .success = kErrorMaskWrittenText, .writes = writes});
}

// No lock write follows the switch of the module's line: the lock stays open
// for the work done over the service connector.
BlockOutcome Button86Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kModuleToConnectorQuestion,
                               .success = kModuleToConnectorText,
                               .writes = kToConnectorWrites,
                               .lock = LockPolicy::kOnlyAfterFailure});
}

BlockOutcome Button87Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kModuleToInstrumentQuestion,
                               .success = kModuleToInstrumentText,
                               .writes = kToInstrumentWrites,
                               .lock = LockPolicy::kOnlyAfterFailure});
}

std::span<const Block* const> ModuleBlocks() {
  static const Block* const blocks[] = {&kModulePageBlock, &ErrorMaskBlock()};
  return blocks;
}
std::span<const ButtonHandler> ModuleButtons() {
  return kButtons;
}
std::span<const ControlInfo> ModuleUnboundControls() {
  return kUnboundControls;
}

std::span<const ConfigPart> ModuleConfigParts() {
  static const ConfigPart parts[] = {
      {"error-mask", ConfigGroup::kSettings, &ErrorMaskWrite()},
  };
  return parts;
}

}  // namespace qmx
