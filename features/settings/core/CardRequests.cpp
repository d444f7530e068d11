#include "features/settings/core/CardRequests.h"

#include "device/FieldBindings.h"
#include "device/RequestWriter.h"
#include "features/settings/core/CardRows.h"

namespace velmar {

namespace {

using C = CommandCode;

// True when the set word's request would carry other values for the two cards.
bool Differs(const CardRecord& old, const CardRecord& edited, C set, std::int32_t index, std::int32_t group) {
    const auto entry = static_cast<std::size_t>(index > 0 ? index - 1 : 0);
    const auto groupEntry = static_cast<std::size_t>(group > 0 ? group - 1 : 0);
    for (const CardFieldBinding& field : CardFieldBindings()) {
        if (field.set != set)
            continue;
        CommandMessage before;
        CommandMessage after;
        field.save(old, entry, groupEntry, before, field.pos);
        field.save(edited, entry, groupEntry, after, field.pos);
        if (before.Int(field.pos) != after.Int(field.pos))
            return true;
    }
    return false;
}

class SlotPlanner {
  public:
    SlotPlanner(const CardRecord& old, const CardRecord& edited, std::int32_t card,
                std::vector<CardRequest>& out)
        : old_(old), edited_(edited), card_(card), out_(out) {}

    void IfChanged(C set, std::int32_t index = 0, std::int32_t group = 0) {
        if (Differs(old_, edited_, set, index, group))
            Always(set, index, group);
    }
    void Always(C set, std::int32_t index = 0, std::int32_t group = 0) {
        out_.push_back({set, card_, index, group});
    }

    void Plan(CardType kind) {
        switch (kind) {
            case CardType::Sdi:
                for (std::int32_t port = 1; port <= 2; ++port) {
                    IfChanged(C::sembena, port);
                    IfChanged(C::stxsrcrate, port);
                    for (std::int32_t group = 1; group <= 4; ++group) {
                        IfChanged(C::sembmode, port, group);
                        IfChanged(C::srxsrcena, port, group);
                    }
                }
                return;
            case CardType::Ad:
                for (std::int32_t ch = 1; ch <= 8; ++ch) {
                    for (C set : {C::sadinpmode, C::sadmute, C::sadphanpow, C::sadphase})
                        IfChanged(set, ch);
                }
                return;
            case CardType::Da:
                for (std::int32_t ch = 1; ch <= 8; ++ch) {
                    IfChanged(C::sdamute, ch);
                    // The card has one DSD filter: a change on any channel's row is that one
                    // setting, sent once with channel 1's request.
                    if (ch == 1 && DsdFilterChanged())
                        Always(C::sdadsdfilter);
                }
                return;
            case CardType::Aes:
                for (std::int32_t ch = 1; ch <= 8; ++ch)
                    IfChanged(C::saesrxsrcena, ch);
                return;
            case CardType::MadiHotlink:
                PlanMadi();
                return;
            case CardType::None:
                return;
        }
    }

  private:
    bool DsdFilterChanged() const {
        for (std::size_t ch = 0; ch < kCardChannels; ++ch) {
            if (old_.da[ch].dsdFilter != edited_.da[ch].dsdFilter)
                return true;
        }
        return false;
    }

    void PlanMadi() {
        const bool typeChanged = old_.mode != edited_.mode;
        if (typeChanged)
            Always(C::scifmode);
        IfChanged(C::scifred);
        const auto send = [&](C set, std::int32_t port) {
            if (typeChanged)
                Always(set, port);
            else
                IfChanged(set, port);
        };
        if (edited_.mode == kCardModeMadi) {
            const std::int32_t ports = edited_.madi.redundancyEnable != 0 ? 1 : 2;
            for (std::int32_t port = 1; port <= ports; ++port) {
                for (C set : {C::scmadiinmode, C::scmadioutmode, C::scmadidsdmode})
                    send(set, port);
            }
        } else if (edited_.mode == kCardModeHotlink) {
            send(C::schlinkinmode, 0);
            send(C::schlinkoutmode, 0);
        }
    }

    const CardRecord& old_;
    const CardRecord& edited_;
    std::int32_t card_;
    std::vector<CardRequest>& out_;
};

// The requests of one slot; false when the page would not have edited that card in both copies.
bool PlanSlot(const ConfigBlock& old, const ConfigBlock& edited, std::int32_t card,
              std::vector<CardRequest>& out) {
    const auto at = static_cast<std::size_t>(card - 1);
    if (old.cards[at] == edited.cards[at])
        return false;
    const CardType kind = EditableCardKind(edited, card);
    if (kind == CardType::None || EditableCardKind(old, card) != kind)
        return false;
    SlotPlanner(old.cards[at], edited.cards[at], card, out).Plan(kind);
    return true;
}

}  // namespace

CardApplyPlan PlanCardRequests(const ConfigBlock& old, const ConfigBlock& edited) {
    CardApplyPlan plan;
    for (std::int32_t card = 1; card <= static_cast<std::int32_t>(kCardSlots); ++card)
        plan.changed = PlanSlot(old, edited, card, plan.requests) || plan.changed;
    return plan;
}

CardApplyOutcome ApplyCardSettings(const ConfigBlock& opened, const ConfigBlock& edited,
                                   const ConfigBlock& frame, RequestWriter& requests) {
    CardApplyOutcome outcome;
    for (std::int32_t card = 1; card <= static_cast<std::int32_t>(kCardSlots); ++card) {
        std::vector<CardRequest> slot;
        if (!PlanSlot(opened, edited, card, slot) ||
            EditableCardKind(frame, card) != EditableCardKind(edited, card))
            continue;
        outcome.changed = true;
        for (const CardRequest& request : slot) {
            CommandMessage line;
            if (FillCardSetRequest(edited, request.set, request.card, request.index, request.group, line))
                requests.SendRecord(line, request.set);
        }
        outcome.requestsSent += slot.size();
        if (!slot.empty())
            outcome.cards.push_back(card);
    }
    return outcome;
}

}  // namespace velmar
