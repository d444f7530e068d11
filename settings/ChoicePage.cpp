#include "settings/ChoicePage.h"

#include <QFormLayout>

namespace velmar {

ChoicePage::ChoicePage(std::vector<ChoiceRow> rows, QWidget* parent)
    : SettingsPage(parent), rows_(std::move(rows)) {
    auto* form = new QFormLayout(this);
    for (const ChoiceRow& row : rows_) {
        auto* list = new ValueList(row.entries);
        lists_.push_back(list);
        form->addRow(row.label, list);
    }
}

void ChoicePage::Load(const ConfigBlock& config) {
    auto& copy = const_cast<ConfigBlock&>(config);  // the row accessors hand out writable fields
    for (std::size_t i = 0; i < rows_.size(); ++i)
        lists_[i]->Select(rows_[i].field(copy));
}

std::optional<std::string> ChoicePage::Store(ConfigBlock& config) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (const auto value = lists_[i]->Value())
            rows_[i].field(config) = *value;
    }
    return std::nullopt;
}

ChoicePage* MakeSampleRatePage() {
    return new ChoicePage({
        {"General sample rate",
         {{"44.1 kHz", 1},
          {"48 kHz", 2},
          {"88.2 kHz", 3},
          {"96 kHz", 4},
          {"176.4 kHz", 5},
          {"192 kHz", 6},
          {"DXD 352.8 kHz", 7},
          {"384 kHz", 8},
          {"DSD 64 x fs", 9},
          {"DSD 128 x fs", 10}},
         [](ConfigBlock& c) -> std::int32_t& { return c.sampleRate; }},
        {"Sample rate adaption source",
         {{"Internal", 1},
          {"AES11", 3},
          {"AES Input 1", 5},
          {"AES Input 2", 6},
          {"AES Input 3", 7},
          {"AES Input 4", 8},
          {"AES Input 5", 9},
          {"AES Input 6", 10},
          {"AES Input 7", 11},
          {"AES Input 8", 12},
          {"PHD 1", 13},
          {"PHD 2", 14},
          {"Madi coax", 15},
          {"SFP 1", 16},
          {"SFP 2", 17},
          {"IP", 18}},
         [](ConfigBlock& c) -> std::int32_t& { return c.sampleRateAdaptSrc; }},
        {"Word clock output sample rate",
         {{"Base (44.1 or 48 kHz)", 0}, {"Sample rate", 1}},
         [](ConfigBlock& c) -> std::int32_t& { return c.wordClkOutMode; }},
    });
}

ChoicePage* MakeAesPage() {
    return new ChoicePage({{"Output channel status",
                            {{"Transparent", 0}, {"Default", 1}},
                            [](ConfigBlock& c) -> std::int32_t& { return c.aesChnStMode; }}});
}

ChoicePage* MakeMadiPage() {
    return new ChoicePage({
        {"Input sample rate",
         {{"Auto", 0}, {"As internal", 1}},
         [](ConfigBlock& c) -> std::int32_t& { return c.madiIn[0].mode; }},
        {"Output frame rate",
         {{"High", 0}, {"Legacy", 1}},
         [](ConfigBlock& c) -> std::int32_t& { return c.madiOut[0].legFr; }},
        {"Output channel status",
         {{"Transparent", 0}, {"Default", 1}},
         [](ConfigBlock& c) -> std::int32_t& { return c.madiOut[0].chnSt; }},
        {"Output channel count",
         {{"56 ch", 0}, {"64 ch", 1}},
         [](ConfigBlock& c) -> std::int32_t& { return c.madiOut[0].mode; }},
        {"Output DSD mode",
         {{"Native", 0}, {"DSD over PCM", 1}},
         [](ConfigBlock& c) -> std::int32_t& { return c.madiOut[0].dsdMode; }},
    });
}

}  // namespace velmar
