#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"
#include "device/Requests.h"
#include "device/TimerService.h"
#include "device/ViewRegistry.h"
#include "protocol/MessageCodec.h"

namespace velmar {

// Applies every record from the frame to DeviceState and the open views, and starts the follow-up
// requests and timers. Replies are not matched to requests: a reply and a notification of the
// same command take the same road, and applying a record twice leaves the same state.
class Dispatcher {
  public:
    Dispatcher(DeviceState& state, ConnectionState& connection, const MessageCodec& codec, Requests& requests,
               TimerService& timers, ViewRegistry& views, std::function<void()> retitle);

    void Dispatch(const CommandMessage& message, bool isReply);

  private:
    using Handler = void (Dispatcher::*)(const CommandMessage&, bool);

    void StoreRow(const CommandMessage& m, bool isReply);
    void CardSettingRow(const CommandMessage& m, bool isReply);

    void DevInfo(const CommandMessage& m, bool isReply);
    void DevId(const CommandMessage& m, bool isReply);
    void Lan(const CommandMessage& m, bool isReply);
    void HwConf(const CommandMessage& m, bool isReply);
    void SwVer(const CommandMessage& m, bool isReply);
    void DevFeature(const CommandMessage& m, bool isReply);
    void SyncPrio(const CommandMessage& m, bool isReply);
    void SyncPrioList(const CommandMessage& m, bool isReply);
    void SyncStat(const CommandMessage& m, bool isReply);
    void PsuConf(const CommandMessage& m, bool isReply);
    void FanConf(const CommandMessage& m, bool isReply);
    void PsuStatus(const CommandMessage& m, bool isReply);
    void FanStatus(const CommandMessage& m, bool isReply);
    void MadiIn(const CommandMessage& m, bool isReply);
    void MadiOut(const CommandMessage& m, bool isReply);
    void MadiDsd(const CommandMessage& m, bool isReply);
    void OptMode(const CommandMessage& m, bool isReply);
    void OptRed(const CommandMessage& m, bool isReply);
    void OptRedSet(const CommandMessage& m, bool isReply);
    void OptInact(const CommandMessage& m, bool isReply);
    void HlinkMode(const CommandMessage& m, bool isReply);
    void DanteLan(const CommandMessage& m, bool isReply);
    void DanteName(const CommandMessage& m, bool isReply);
    void UniClk(const CommandMessage& m, bool isReply);
    void UniClkStatus(const CommandMessage& m, bool isReply);
    void AutoRoute(const CommandMessage& m, bool isReply);
    void FrameOrLatency(const CommandMessage& m, bool isReply);
    void Perform(const CommandMessage& m, bool isReply);
    void CrossIp(const CommandMessage& m, bool isReply);
    void Cross(const CommandMessage& m, bool isReply);
    void CrossSet(const CommandMessage& m, bool isReply);
    void CrossList(const CommandMessage& m, bool isReply);
    void Label(const CommandMessage& m, bool isReply);
    void LabelList(const CommandMessage& m, bool isReply);
    void Gain(const CommandMessage& m, bool isReply);
    void AdSignal(const CommandMessage& m, bool isReply);
    void SdiRxStatus(const CommandMessage& m, bool isReply);
    void AesInputStatus(const CommandMessage& m, bool isReply);
    void CardInactive(const CommandMessage& m, bool isReply);
    void CardIfStatus(const CommandMessage& m, bool isReply);
    void MainInputStatus(const CommandMessage& m, bool isReply);
    void MainInputStatusList(const CommandMessage& m, bool isReply);
    void TxFlow(const CommandMessage& m, bool isReply);
    void RxFlow(const CommandMessage& m, bool isReply);
    void FlowSlot(const CommandMessage& m, bool isReply);
    void Scr(const CommandMessage& m, bool isReply);
    void LevDetThresholds(const CommandMessage& m, bool isReply);
    void LevDetValue(const CommandMessage& m, bool isReply);
    void LevDetList(const CommandMessage& m, bool isReply);
    void Ppm(const CommandMessage& m, bool isReply);
    void PpmIdList(const CommandMessage& m, bool isReply);
    void Prog(const CommandMessage& m, bool isReply);

    void On(CommandCode code, Handler handler) { handlers_[ToCode(code)] = handler; }
    std::int32_t Channels() const;
    void SendNextFirmwareRecord(bool first);

    DeviceState& state_;
    ConnectionState& connection_;
    const MessageCodec& codec_;
    Requests& requests_;
    TimerService& timers_;
    ViewRegistry& views_;
    std::function<void()> retitle_;
    std::array<Handler, kCommandCount> handlers_{};
    std::array<std::uint8_t, kCommandCount> rowIndex_{};  // into the store or card-setting rows
};

}  // namespace velmar
