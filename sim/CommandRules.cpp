#include "sim/CommandRules.h"

#include <string>

namespace velmar::sim {
namespace {

using C = CommandCode;
using B = Bound;

struct GetRow {
    CommandCode code;
    Needs needs;
    std::array<Bound, kMaxKeys> bounds;
    bool inRecovery = false;
};

// Key ranges of the get words, in the order of their request arguments. A set word shares the
// row of its get word; words not listed take no key.
const GetRow kGetRows[] = {
    {C::gdevinfo, Needs::Nothing, {}, true},
    {C::gdevid, Needs::Nothing, {}, true},
    {C::gip, Needs::Nothing, {}, true},
    {C::ghwconf, Needs::Nothing, {B::Board}, true},
    {C::gswver, Needs::Nothing, {B::Board}, true},
    {C::gdevfeature, Needs::Nothing, {B::Feature}},
    {C::gmaininpstatus, Needs::Nothing, {B::MainInput}},
    {C::gsyncprio, Needs::Nothing, {B::SyncSource}},
    {C::gmadiinmode, Needs::Nothing, {B::MadiPort}},
    {C::gmadioutmode, Needs::Nothing, {B::MadiPort}},
    {C::gmadidsdmode, Needs::Nothing, {B::MadiPort}},
    {C::goptmode, Needs::Nothing, {B::Module}},
    {C::goptinact, Needs::Nothing, {B::Module}},
    {C::ghlinkinmode, Needs::Nothing, {B::Module}},
    {C::ghlinkoutmode, Needs::Nothing, {B::Module}},
    {C::gbkip, Needs::Dante, {}},
    {C::gbkname, Needs::Dante, {}},
    {C::gbksecip, Needs::Dante, {}},
    {C::gswmodeip, Needs::Dante, {}},
    {C::gsrenaip, Needs::Dante, {}},
    {C::guniclkip, Needs::Dante, {}},
    {C::guniclkstip, Needs::Dante, {}},
    {C::gautorouteip, Needs::Dante, {}},
    {C::grxportrng, Needs::Dante, {}},
    {C::gpsustatus, Needs::Nothing, {B::Psu}},
    {C::gfanstatus, Needs::Nothing, {B::Fan}},
    {C::gcross, Needs::Matrix, {B::Channel}},
    {C::glabel, Needs::Matrix, {B::Selector, B::LabelChannel}},
    {C::ggain, Needs::Matrix, {B::Selector, B::Channel}},
    {C::gsumcross, Needs::Matrix, {B::Any}},
    {C::gcrtxflow, Needs::Dante, {B::Flow}},
    {C::gcrrxflow, Needs::Dante, {B::Flow}},
    {C::gtxflowslot, Needs::Dante, {B::Flow, B::Slot}},
    {C::grxflowslot, Needs::Dante, {B::Flow, B::Slot}},
    {C::glevdetthres, Needs::Matrix, {B::Selector, B::Channel}},
    {C::glevdetstate, Needs::Matrix, {B::Selector, B::Channel}},
    {C::glevdetstatus, Needs::Matrix, {B::Selector, B::Channel}},
    {C::gppmchn, Needs::PpmStream, {B::PpmId, B::PpmChannel}},
    {C::gppmextchn, Needs::PpmStream, {B::PpmId, B::PpmChannel}},
    {C::gppmenable, Needs::PpmStream, {B::PpmId}},
    {C::gppminfo, Needs::PpmStream, {B::PpmId}},
    {C::gadbrdtype, Needs::CardAd, {B::Card}},
    {C::gadinpmode, Needs::CardAd, {B::Card, B::CardChannel}},
    {C::gadmiclevel, Needs::CardAd, {B::Card, B::CardChannel}},
    {C::gadlinelevel, Needs::CardAd, {B::Card, B::CardChannel}},
    {C::gadmute, Needs::CardAd, {B::Card, B::CardChannel}},
    {C::gadphanpow, Needs::CardAd, {B::Card, B::CardChannel}},
    {C::gadphase, Needs::CardAd, {B::Card, B::CardChannel}},
    {C::gadsigdet, Needs::CardAd, {B::Card, B::CardChannel}},
    {C::gadovldet, Needs::CardAd, {B::Card, B::CardChannel}},
    {C::gdaoutlevel, Needs::CardDa, {B::Card, B::CardChannel}},
    {C::gdamute, Needs::CardDa, {B::Card, B::CardChannel}},
    {C::gdadsdfilter, Needs::CardDa, {B::Card}},
    {C::gdasigdet, Needs::CardDa, {B::Card, B::CardChannel}},
    {C::gdaovldet, Needs::CardDa, {B::Card, B::CardChannel}},
    {C::gdacardet, Needs::CardDa, {B::Card, B::CardChannel}},
    {C::gembena, Needs::CardSdi, {B::Card, B::CardPort}},
    {C::gtxsrcrate, Needs::CardSdi, {B::Card, B::CardPort}},
    {C::gembmode, Needs::CardSdi, {B::Card, B::CardPort, B::Group}},
    {C::grxsrcena, Needs::CardSdi, {B::Card, B::CardPort, B::Group}},
    {C::gsdirxstat, Needs::CardSdi, {B::Card, B::CardPort}},
    {C::gsdirxaudstat, Needs::CardSdi, {B::Card, B::CardPort, B::Group}},
    {C::gaesrxsrcena, Needs::CardAes, {B::Card, B::CardChannel}},
    {C::gaesinpstatus, Needs::CardAes, {B::Card, B::CardChannel}},
    {C::gcifmode, Needs::CardMadi, {B::Card}},
    {C::gcifred, Needs::CardMadi, {B::Card}},
    {C::gcifinact, Needs::CardMadi, {B::Card, B::CardPort}},
    {C::gcmadiinmode, Needs::CardMadi, {B::Card, B::CardPort}},
    {C::gcmadioutmode, Needs::CardMadi, {B::Card, B::CardPort}},
    {C::gcmadidsdmode, Needs::CardMadi, {B::Card, B::CardPort}},
    {C::gchlinkinmode, Needs::CardMadi, {B::Card}},
    {C::gchlinkoutmode, Needs::CardMadi, {B::Card}},
    {C::gcifstatus, Needs::CardMadi, {B::Card, B::CardPort}},
};

struct ListRow {
    CommandCode list;
    CommandCode store;
    ArgField value;
    std::uint16_t max;
};

// The list words and the stored field each of their entries reads.
const ListRow kListRows[] = {
    {C::lcross, C::gcross, {ArgType::Int, 18, 4}, 128},
    {C::lsyncprio, C::gsyncprio, {ArgType::Int, 18, 4}, 17},
    {C::lmaininpstatus, C::gmaininpstatus, {ArgType::Raw, 18, 3}, 14},
    {C::llabel, C::glabel, {ArgType::Text, 22, 17}, 32},
    {C::llevdetstate, C::glevdetstate, {ArgType::Int, 22, 4}, 128},
    {C::llevdetstatus, C::glevdetstatus, {ArgType::Int, 22, 4}, 128},
};

struct ValueRow {
    CommandCode set;
    std::uint16_t offset;
    std::int32_t low;
    std::int32_t high;
    Bound bound = Bound::Range;
};

// The values a frame accepts in its set words, beyond their keys. A value outside them is
// answered with a bad argument and nothing is stored, so a console that sends what a list
// without selection left behind (-1) sees the refusal.
const ValueRow kValueRows[] = {
    {C::salivetime, 14, 0, 300},
    {C::ssystemdelay, 14, 0, 64},
    {C::sdevid, 14, 0, 99},
    {C::sip, 14, 0, 1},
    {C::sgenrate, 14, 1, 10},
    {C::srateadptsrc, 14, 1, 18},
    {C::swclkout, 14, 0, 1},
    {C::ssyncprio, 18, 0, 31},
    {C::ssyncterm, 14, 0, 1},
    {C::saeschstat, 14, 0, 1},
    {C::smadiinmode, 18, 0, 1},
    {C::smadioutmode, 22, 0, 1},
    {C::smadioutmode, 26, 0, 1},
    {C::smadioutmode, 30, 0, 1},
    {C::smadidsdmode, 34, 0, 1},
    {C::sphdmode, 14, 0, 1},
    {C::sphdmode, 18, 0, 1},
    {C::sphdmode, 22, 0, 1},
    {C::soptmode, 18, 0, 2},
    {C::soptred, 14, 0, 1},
    {C::soptred, 18, 0, 2},
    {C::shlinkinmode, 18, 0, 1},
    {C::shlinkoutmode, 18, 0, 1},
    {C::sbkip, 14, 0, 1},
    {C::sbksecip, 14, 0, 1},
    {C::sswmodeip, 14, 0, 1},
    {C::ssrenaip, 14, 0, 1},
    {C::suniclkip, 14, 0, 1},
    {C::sautorouteip, 14, 0, 1},
    {C::scross, 18, 0, 0, Bound::Source},
    {C::sgain, 30, 0, 1},
    {C::sgain, 34, 0, 1},
    {C::slevdetstate, 22, 0, 1},
    {C::scrtxflow, 18, 0, 8},
    {C::scrtxflow, 38, 14528, 14591},
    {C::scrrxflow, 18, 0, 8},
    {C::scrrxflow, 22, 14528, 14591},
    {C::scrrxflow, 26, 0, 65535},
    {C::stxflowslot, 22, 0, 64},
    {C::srxflowslot, 22, 0, 64},
    {C::sppmchn, 22, 0, 0, Bound::Source},
    {C::sppmextchn, 22, 0, 1},
    {C::sppmextchn, 26, 0, 0, Bound::Source},
    {C::sembena, 26, 0, 1},
    {C::stxsrcrate, 26, 0, 2},
    {C::sembmode, 26, 0, 4},
    {C::srxsrcena, 26, 0, 1},
    {C::sadinpmode, 22, 0, 1},
    {C::sadmute, 22, 0, 1},
    {C::sadphanpow, 22, 0, 1},
    {C::sadphase, 22, 0, 1},
    {C::sdamute, 22, 0, 1},
    {C::sdadsdfilter, 22, 0, 1},
    {C::saesrxsrcena, 22, 0, 1},
    {C::scifmode, 18, 0, 2},
    {C::scifred, 18, 0, 1},
    {C::scifred, 22, 0, 2},
    {C::scmadiinmode, 22, 0, 1},
    {C::scmadioutmode, 26, 0, 1},
    {C::scmadioutmode, 30, 0, 1},
    {C::scmadioutmode, 34, 0, 1},
    {C::scmadidsdmode, 38, 0, 1},
    {C::schlinkinmode, 18, 0, 1},
    {C::schlinkoutmode, 18, 0, 1},
};

constexpr CommandCode kMaintenance[] = {C::sprog, C::srestart, C::sclear, C::sloadboot, C::sloadapp};
constexpr CommandCode kSpecial[] = {
    C::aliverequest, C::gcrossip, C::scrossip, C::gmaxlatencyip, C::gframeip,   C::glatencyip, C::sperformip,
    C::lgain,        C::lppmid,   C::gppmid,   C::sppmcreate,    C::sppmdelete, C::sppmenable};
constexpr CommandCode kEcho[] = {C::scmd, C::lsumcross};
// Words with no argument that every frame answers from its store.
constexpr CommandCode kPlainGets[] = {C::gsystemdelay, C::galivetime,  C::ggenrate,   C::gactrate,
                                      C::grateadptsrc, C::gwclkout,    C::gsyncstat,  C::gsyncterm,
                                      C::gphdmode,     C::goptred,     C::gaeschstat, C::gpsuconf,
                                      C::gfanconf,     C::gtempstatus, C::gscr};

CommandRule GetRule(const GetRow& row) {
    CommandRule rule;
    rule.handling = Handling::Get;
    rule.store = row.code;
    rule.needs = row.needs;
    rule.inRecovery = row.inRecovery;
    const auto fields = Command(row.code).request.All();
    for (std::size_t i = 0; i < fields.size() && i < kMaxKeys; ++i) {
        rule.keys[i] = {fields[i].offset, row.bounds[i]};
        ++rule.keyCount;
    }
    return rule;
}

std::array<CommandRule, kCommandCount> BuildRules() {
    std::array<CommandRule, kCommandCount> rules{};
    for (const CommandCode code : kPlainGets)
        rules[ToCode(code)] = GetRule({code, Needs::Nothing, {}});
    for (const GetRow& row : kGetRows)
        rules[ToCode(row.code)] = GetRule(row);

    // Each set word pairs with the get word of the same stem and stores into its records.
    for (std::size_t code = 0; code < kCommandCount; ++code) {
        const std::string_view word = kCommandTable[code].word;
        if (word.front() != 's')
            continue;
        const auto get = FindCommand(std::string("g").append(word.substr(1)));
        if (!get || rules[ToCode(*get)].handling != Handling::Get)
            continue;
        rules[code] = rules[ToCode(*get)];
        rules[code].handling = Handling::Set;
        rules[code].inRecovery = *get == C::gip;
    }
    CommandRule& boardInfo = rules[ToCode(C::sboardinfo)];
    boardInfo = rules[ToCode(C::ghwconf)];
    boardInfo.handling = Handling::Set;
    boardInfo.inRecovery = false;
    for (const ValueRow& row : kValueRows) {
        CommandRule& rule = rules[ToCode(row.set)];
        rule.values[rule.valueCount++] = {row.offset, row.bound, row.low, row.high};
    }
    // The AD board type travels in the second word of the set but sits in the third of the get.
    rules[ToCode(C::sadbrdtype)].valueFrom = 18;
    rules[ToCode(C::sadbrdtype)].valueTo = 22;

    for (const ListRow& row : kListRows) {
        CommandRule rule = rules[ToCode(row.store)];
        rule.handling = Handling::List;
        const auto fields = Command(row.list).request.All();
        rule.listFirst = fields[fields.size() - 2].offset;
        rule.listCount = fields.back().offset;
        rule.listValue = row.value;
        rule.listMax = row.max;
        rules[ToCode(row.list)] = rule;
    }
    for (const CommandCode code : kMaintenance) {
        rules[ToCode(code)] = {};
        rules[ToCode(code)].handling = Handling::Maintenance;
        rules[ToCode(code)].inRecovery = code != C::sclear && code != C::sloadboot;
    }
    for (const CommandCode code : kSpecial) {
        rules[ToCode(code)] = {};
        rules[ToCode(code)].handling = Handling::Special;
        rules[ToCode(code)].inRecovery = code == C::aliverequest;
    }
    for (const CommandCode code : kEcho) {
        rules[ToCode(code)] = {};
        rules[ToCode(code)].handling = Handling::Echo;
    }
    return rules;
}

}  // namespace

const CommandRule& RuleOf(std::uint16_t code) {
    static const std::array<CommandRule, kCommandCount> rules = BuildRules();
    static const CommandRule unknown{};
    return code < kCommandCount ? rules[code] : unknown;
}

}  // namespace velmar::sim
