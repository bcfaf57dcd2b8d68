#include "blocks/output_settings.h"

#include "registers/input_parsing.h"

namespace qmx {
namespace {

const std::vector<std::string> kOutputTypeItems = {"уставка", "направление", "частота",
                                                   "импульсный"};
// The page offers only the two types an operator sets; their codes are 2, 3.
const std::vector<std::string> kOutputKindItems = {"частота", "импульсный"};
constexpr int kOutputKindOffset = 2;

OutputValues& Outputs(BlockValues& v) {
  return v.profile.outputs;
}

// --- output type ------------------------------------------------------------------

const Field kTypeFields[] = {
    WordField(1792, [](BlockValues& v) -> uint16_t& { return Outputs(v).diskr_out_type0; }),
    WordField(1793, [](BlockValues& v) -> uint16_t& { return Outputs(v).diskr_out_type1; }),
};
const ControlRow kTypeRows[] = {
    {.control = "ComboBox6", .reg = 1793, .show = Show::kItemIndex, .items = &kOutputTypeItems},
    {.control = "ComboBox42",
     .reg = 1793,
     .show = Show::kItemIndex,
     .items = &kOutputKindItems,
     .index_offset = kOutputKindOffset,
     .take = Take::kItemIndex,
     .no_selection = 1},
};
const Block kTypeBlock{.name = "тип выхода", .fields = kTypeFields, .rows = kTypeRows};
const Block* const kTypeBlocks[] = {&kTypeBlock};
const Transaction kTypeReadTransactions[] = {
    {.start = 1792, .count = 2, .pause_before_ms = 100, .pause_after_ms = 100}};
const Transaction kTypeWriteTransactions[] = {
    {.start = 1792, .count = 2, .pause_after_ms = 400, .description = "тип выхода "}};
const BlockOperation kTypeRead{kTypeReadTransactions, kTypeBlocks};
const BlockOperation kTypeWrite{kTypeWriteTransactions, kTypeBlocks};

// --- frequency output -------------------------------------------------------------

const Field kFrequencyFields[] = {
    FloatField(1808, [](BlockValues& v) -> float& { return Outputs(v).f_flow_v_max; }),
    FloatField(1810, [](BlockValues& v) -> float& { return Outputs(v).f_flow_v_min; }),
    WordField(1812, [](BlockValues& v) -> uint16_t& { return Outputs(v).f_flow_err; }),
};
const ControlRow kFrequencyRows[] = {
    {.control = "Edit107",
     .reg = 1808,
     .show = Show::kText,
     .form = TextForm::kFloatStandard,
     .take = Take::kFloat,
     .failure = kFloatInputError},
    {.control = "Edit110",
     .reg = 1810,
     .show = Show::kText,
     .form = TextForm::kFloatStandard,
     .take = Take::kFloat,
     .failure = kFloatInputError},
    {.control = "Edit108",
     .reg = 1812,
     .show = Show::kText,
     .take = Take::kIntegerLow16,
     .failure = kIntegerInputError},
};
const Block kFrequencyBlock{
    .name = "частотный выход", .fields = kFrequencyFields, .rows = kFrequencyRows};
const Block* const kFrequencyBlocks[] = {&kFrequencyBlock};
const Transaction kFrequencyReadTransactions[] = {
    {.start = 1808, .count = 5, .pause_before_ms = 100, .pause_after_ms = 100}};
const Transaction kFrequencyWriteTransactions[] = {{.start = 1808,
                                                    .count = 5,
                                                    .pause_after_ms = 400,
                                                    .description = "параметры частотного выхода "}};
const BlockOperation kFrequencyRead{kFrequencyReadTransactions, kFrequencyBlocks};
const BlockOperation kFrequencyWrite{kFrequencyWriteTransactions, kFrequencyBlocks};

// --- forced frequency ---------------------------------------------------------------

const Field kForceOnFields[] = {CommandField(1815, 1)};
const Field kForceOffFields[] = {CommandField(1815, 0)};
const Block kForceOnBlock{.name = "включить принудительную частоту", .fields = kForceOnFields};
const Block kForceOffBlock{.name = "выключить принудительную частоту", .fields = kForceOffFields};
const Block* const kForceOnBlocks[] = {&kForceOnBlock};
const Block* const kForceOffBlocks[] = {&kForceOffBlock};
const Transaction kForceOnTransactions[] = {
    {.start = 1815,
     .count = 1,
     .pause_after_ms = 400,
     .description = "включить принудительное задание частоты "}};
const Transaction kForceOffTransactions[] = {{.start = 1815,
                                              .count = 1,
                                              .pause_after_ms = 400,
                                              .description = "внутреннеее управление частотой "}};
const BlockOperation kForceOn{kForceOnTransactions, kForceOnBlocks};
const BlockOperation kForceOff{kForceOffTransactions, kForceOffBlocks};

const Field kForcedFields[] = {
    WordField(1816, [](BlockValues& v) -> uint16_t& { return v.forced_frequency; }),
};
const ControlRow kForcedRows[] = {
    {.control = "Edit102",
     .reg = 1816,
     .show = Show::kText,
     .take = Take::kIntegerSaturated,
     .failure = kIntegerInputError},
};
const Block kForcedBlock{
    .name = "принудительная частота", .fields = kForcedFields, .rows = kForcedRows};
const Block* const kForcedBlocks[] = {&kForcedBlock};
const Transaction kForcedReadTransactions[] = {
    {.start = 1816, .count = 1, .pause_before_ms = 100, .pause_after_ms = 100}};
const Transaction kForcedWriteTransactions[] = {
    {.start = 1816,
     .count = 1,
     .pause_after_ms = 400,
     .description = "задать значение частоты выдаваемой принудительно "}};
const BlockOperation kForcedRead{kForcedReadTransactions, kForcedBlocks};
const BlockOperation kForcedWrite{kForcedWriteTransactions, kForcedBlocks};

// --- pulse output -------------------------------------------------------------------

const Field kPulseFields[] = {
    FloatField(1824, [](BlockValues& v) -> float& { return Outputs(v).flow_v_for_pulse; }),
    WordSentAs(
        1826, [](BlockValues& v) -> uint16_t& { return v.pulse_reserved; }, 0),
    WordField(1827, [](BlockValues& v) -> uint16_t& { return Outputs(v).pulse_activ_min_t; }),
    WordField(1828, [](BlockValues& v) -> uint16_t& { return Outputs(v).pulse_passive_min_t; }),
};
const ControlRow kPulseRows[] = {
    {.control = "Edit109",
     .reg = 1824,
     .show = Show::kText,
     .form = TextForm::kFloatStandard,
     .take = Take::kFloat,
     .failure = kFloatInputError},
    {.control = "Edit111",
     .reg = 1827,
     .show = Show::kText,
     .take = Take::kIntegerLow16,
     .failure = kIntegerInputError},
    {.control = "Edit112",
     .reg = 1828,
     .show = Show::kText,
     .take = Take::kIntegerLow16,
     .failure = kIntegerInputError},
};
const Block kPulseBlock{.name = "импульсный выход", .fields = kPulseFields, .rows = kPulseRows};
const Block* const kPulseBlocks[] = {&kPulseBlock};
const Transaction kPulseReadTransactions[] = {
    {.start = 1824, .count = 5, .pause_before_ms = 100, .pause_after_ms = 100}};
const Transaction kPulseWriteTransactions[] = {
    {.start = 1824,
     .count = 5,
     .pause_after_ms = 400,
     .description = "записать параметры импульсного выхода "}};
const BlockOperation kPulseRead{kPulseReadTransactions, kPulseBlocks};
const BlockOperation kPulseWrite{kPulseWriteTransactions, kPulseBlocks};

// --- volume still to be sent as pulses ------------------------------------------------

const Field kVolumeFields[] = {
    DoubleField(768, [](BlockValues& v) -> double& { return v.volume_to_send; }),
};
const ControlRow kVolumeRows[] = {
    {.control = "Label381", .reg = 768, .show = Show::kText, .form = TextForm::kDouble},
};
const Block kVolumeBlock{.name = "объем для передачи импульсами",
                         .fields = kVolumeFields,
                         .rows = kVolumeRows,
                         .filled_at_startup = false};
const Block* const kVolumeBlocks[] = {&kVolumeBlock};
const Transaction kVolumeReadTransactions[] = {
    {.start = 768, .count = 4, .pause_before_ms = 100, .pause_after_ms = 100}};
const BlockOperation kVolumeRead{kVolumeReadTransactions, kVolumeBlocks};

// --- handlers -------------------------------------------------------------------------

constexpr char kOutputsReadText[] = "Чтение параметров выходов успешно осуществлено.";
constexpr char kOutputsWrittenText[] = "Запись параметров выходов успешно осуществлена.";
constexpr char kFrequencyReadText[] = "Чтение параметров частотных выходов успешно осуществлено.";
constexpr char kFrequencyWrittenText[] =
    "Запись параметров частотных выходов успешно осуществлена.";
constexpr char kPulseReadText[] = "Чтение параметров импульсных выходов успешно осуществлено.";
constexpr char kPulseWrittenText[] = "Запись параметров импульсных выходов успешно осуществлена.";

const BlockOperation* const kTypeReads[] = {&kTypeRead};
const BlockOperation* const kTypeWrites[] = {&kTypeWrite};
const BlockOperation* const kFrequencyReads[] = {&kFrequencyRead};
const BlockOperation* const kFrequencyWrites[] = {&kFrequencyWrite};
const BlockOperation* const kForceOnWrites[] = {&kForceOn};
const BlockOperation* const kForceOffWrites[] = {&kForceOff};
const BlockOperation* const kForcedReads[] = {&kForcedRead};
const BlockOperation* const kForcedWrites[] = {&kForcedWrite};
const BlockOperation* const kPulseReads[] = {&kPulseRead};
const BlockOperation* const kPulseWrites[] = {&kPulseWrite};
const BlockOperation* const kVolumeReads[] = {&kVolumeRead};

BlockOutcome ReadOutputType(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kTypeReads, .fills = kTypeBlocks, .success = kOutputsReadText});
}

BlockOutcome WriteOutputType(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kConfigurationQuestion,
                               .success = kOutputsWrittenText,
                               .writes = kTypeWrites});
}

BlockOutcome ReadFrequencyOutput(BlockContext& ctx) {
  return RunRead(
      ctx, {.reads = kFrequencyReads, .fills = kFrequencyBlocks, .success = kFrequencyReadText});
}

BlockOutcome WriteFrequencyOutput(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kConfigurationQuestion,
                               .success = kFrequencyWrittenText,
                               .writes = kFrequencyWrites});
}

BlockOutcome ReadPulseOutput(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kPulseReads, .fills = kPulseBlocks, .success = kPulseReadText});
}

BlockOutcome WritePulseOutput(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kConfigurationQuestion,
                               .success = kPulseWrittenText,
                               .writes = kPulseWrites,
                               .collect_at = CollectPoint::kAfterProtectionQuestion});
}

const Block* const kBlocks[] = {&kTypeBlock,     &kFrequencyBlock, &kForcedBlock, &kForceOnBlock,
                                &kForceOffBlock, &kPulseBlock,     &kVolumeBlock};

const ButtonHandler kButtons[] = {
    {"Button12", &Button12Click}, {"BitBtn8", &BitBtn8Click},   {"Button13", &Button13Click},
    {"BitBtn9", &BitBtn9Click},   {"Button14", &Button14Click}, {"BitBtn10", &BitBtn10Click},
    {"Button15", &Button15Click}, {"BitBtn11", &BitBtn11Click}, {"Button79", &Button79Click},
    {"Button80", &Button80Click}, {"Button81", &Button81Click}, {"Button82", &Button82Click},
    {"Button16", &Button16Click}, {"BitBtn12", &BitBtn12Click}, {"Button49", &Button49Click},
    {"BitBtn13", &BitBtn13Click}, {"Button92", &Button92Click},
};

}  // namespace

const std::vector<std::string>& OutputTypeItems() {
  return kOutputTypeItems;
}
const std::vector<std::string>& OutputKindItems() {
  return kOutputKindItems;
}

BlockOutcome Button12Click(BlockContext& ctx) {
  return ReadOutputType(ctx);
}
BlockOutcome BitBtn8Click(BlockContext& ctx) {
  return ReadOutputType(ctx);
}
BlockOutcome Button13Click(BlockContext& ctx) {
  return WriteOutputType(ctx);
}
BlockOutcome BitBtn9Click(BlockContext& ctx) {
  return WriteOutputType(ctx);
}
BlockOutcome Button14Click(BlockContext& ctx) {
  return ReadFrequencyOutput(ctx);
}
BlockOutcome BitBtn10Click(BlockContext& ctx) {
  return ReadFrequencyOutput(ctx);
}
BlockOutcome Button15Click(BlockContext& ctx) {
  return WriteFrequencyOutput(ctx);
}
BlockOutcome BitBtn11Click(BlockContext& ctx) {
  return WriteFrequencyOutput(ctx);
}

BlockOutcome Button79Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kConfigurationQuestion,
                               .success = kFrequencyWrittenText,
                               .writes = kForceOnWrites,
                               .read_state_word = false});
}

BlockOutcome Button80Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kConfigurationQuestion,
                               .success = kFrequencyWrittenText,
                               .writes = kForceOffWrites,
                               .read_state_word = false});
}

BlockOutcome Button81Click(BlockContext& ctx) {
  return RunRead(ctx,
                 {.reads = kForcedReads, .fills = kForcedBlocks, .success = kFrequencyReadText});
}

BlockOutcome Button82Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kConfigurationQuestion,
                               .success = kFrequencyWrittenText,
                               .writes = kForcedWrites,
                               .collect_at = CollectPoint::kAfterUnlock});
}

BlockOutcome Button16Click(BlockContext& ctx) {
  return ReadPulseOutput(ctx);
}
BlockOutcome BitBtn12Click(BlockContext& ctx) {
  return ReadPulseOutput(ctx);
}
BlockOutcome Button49Click(BlockContext& ctx) {
  return WritePulseOutput(ctx);
}
BlockOutcome BitBtn13Click(BlockContext& ctx) {
  return WritePulseOutput(ctx);
}

// The value is looked at, not confirmed: no box on success.
BlockOutcome Button92Click(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kVolumeReads, .fills = kVolumeBlocks});
}

std::span<const Block* const> OutputBlocks() {
  return kBlocks;
}
std::span<const ButtonHandler> OutputButtons() {
  return kButtons;
}

std::span<const ConfigPart> OutputConfigParts() {
  static const ConfigPart parts[] = {
      {"output-type", ConfigGroup::kSettings, &kTypeWrite},
      {"frequency-output", ConfigGroup::kSettings, &kFrequencyWrite},
      {"pulse-output", ConfigGroup::kSettings, &kPulseWrite},
  };
  return parts;
}

}  // namespace qmx
