#include "features/settings/view/ChoicePage.h"

#include <QFormLayout>

namespace velmar {

ChoicePage::ChoicePage(std::vector<ChoiceRow> rows, QWidget* parent)
    : SettingsPage(parent), rows_(std::move(rows)) {
    auto* form = new QFormLayout(this);
    for (const ChoiceRow& row : rows_) {
        auto* list = new ValueList(row.setting);
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
        {"General sample rate", Setting::SampleRate,
         [](ConfigBlock& c) -> std::int32_t& { return c.sampleRate; }},
        {"Sample rate adaption source", Setting::AdaptionSource,
         [](ConfigBlock& c) -> std::int32_t& { return c.sampleRateAdaptSrc; }},
        {"Word clock output sample rate", Setting::WordClockOutput,
         [](ConfigBlock& c) -> std::int32_t& { return c.wordClkOutMode; }},
    });
}

ChoicePage* MakeAesPage() {
    return new ChoicePage({{"Output channel status", Setting::ChannelStatus,
                            [](ConfigBlock& c) -> std::int32_t& { return c.aesChnStMode; }}});
}

ChoicePage* MakeMadiPage() {
    return new ChoicePage({
        {"Input sample rate", Setting::MadiInput,
         [](ConfigBlock& c) -> std::int32_t& { return c.madiIn[0].mode; }},
        {"Output frame rate", Setting::FrameRate,
         [](ConfigBlock& c) -> std::int32_t& { return c.madiOut[0].legFr; }},
        {"Output channel status", Setting::ChannelStatus,
         [](ConfigBlock& c) -> std::int32_t& { return c.madiOut[0].chnSt; }},
        {"Output channel count", Setting::ChannelCount,
         [](ConfigBlock& c) -> std::int32_t& { return c.madiOut[0].mode; }},
        {"Output DSD mode", Setting::DsdMode,
         [](ConfigBlock& c) -> std::int32_t& { return c.madiOut[0].dsdMode; }},
    });
}

}  // namespace velmar
