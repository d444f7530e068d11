#include "features/interfaces/cli/CardCommands.h"

#include "cli/CliFeatureList.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "cli/RequestLinePrinter.h"
#include "device/RequestWriter.h"
#include "device/Session.h"
#include "device/posix/PosixEventLoop.h"
#include "features/interfaces/core/InterfacesUnit.h"
#include "features/settings/core/CardRequests.h"
#include "features/settings/core/CardRows.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

const BoardConfig& SlotBoard(const ConfigBlock& config, std::int32_t slot) {
    return config.hwConf[static_cast<std::size_t>(slot + 7)];
}

// What the card list shows in its "Type" column: the first nine characters of the board code.
std::string_view TypeText(const BoardConfig& board) {
    return board.boardType > 0 ? board.boardCode.View().substr(0, 9) : std::string_view();
}

std::string Choices(std::span<const CardChoice> choices) {
    std::string text;
    for (const CardChoice& choice : choices)
        text += (text.empty() ? "" : ", ") + std::string(choice.text);
    return text;
}

void PrintSlotText(std::ostream& out, const ConfigBlock& config, std::int32_t slot) {
    const BoardConfig& board = SlotBoard(config, slot);
    const CardType kind = EditableCardKind(config, slot);
    out << "slot " << slot;
    if (board.boardType <= 0) {
        out << "  empty\n";
        return;
    }
    out << "  " << FrameTextForTerminal(TypeText(board)) << "  "
        << (kind == CardType::None ? std::string("(a card this console does not know)")
                                   : std::string(CardDescription(kind)))
        << "\n";
    const CardRecord& card = config.cards[static_cast<std::size_t>(slot - 1)];
    for (const CardRow& row : CardRows(kind)) {
        const std::string name = RowName(row);
        out << "  " << name << std::string(name.size() < 34 ? 34 - name.size() : 1, ' ')
            << RowValueText(row, card) << (RowEditable(row, card) ? "" : "  (read-only)") << "\n";
    }
}

void PrintSlotJson(std::ostream& out, const ConfigBlock& config, std::int32_t slot) {
    const BoardConfig& board = SlotBoard(config, slot);
    const CardType kind = EditableCardKind(config, slot);
    const CardRecord& card = config.cards[static_cast<std::size_t>(slot - 1)];
    out << "{\"slot\":" << slot << ",\"present\":" << (board.boardType > 0 ? "true" : "false")
        << ",\"type\":" << FrameTextForJson(TypeText(board))
        << ",\"description\":" << JsonQuoted(CardDescription(kind)) << ",\"parameters\":[";
    bool first = true;
    for (const CardRow& row : CardRows(kind)) {
        out << (first ? "" : ",") << "{\"name\":" << JsonQuoted(RowName(row))
            << ",\"channel\":" << JsonQuoted(RowChannelText(row))
            << ",\"parameter\":" << JsonQuoted(RowParameterText(row))
            << ",\"value\":" << JsonQuoted(RowValueText(row, card)) << ",\"values\":[";
        bool firstChoice = true;
        for (const CardChoice& choice : RowChoices(row, card)) {
            out << (firstChoice ? "" : ",") << JsonQuoted(choice.text);
            firstChoice = false;
        }
        out << "]}";
        first = false;
    }
    out << "]}";
}

}  // namespace

int CardCommands::Cards(const CliOptions& options) {
    const ConfigBlock& config = session_.State().config;
    if (!session_.Capabilities().cards) {
        out_ << (options.json ? "{\"slots\":[]}\n" : "this frame has no card slots\n");
        return kExitOk;
    }
    if (options.json) {
        out_ << "{\"slots\":[";
        for (std::int32_t slot = 1; slot <= static_cast<std::int32_t>(kCardSlots); ++slot) {
            out_ << (slot == 1 ? "" : ",");
            PrintSlotJson(out_, config, slot);
        }
        out_ << "]}\n";
    } else {
        for (std::int32_t slot = 1; slot <= static_cast<std::int32_t>(kCardSlots); ++slot)
            PrintSlotText(out_, config, slot);
    }
    return kExitOk;
}

int CardCommands::Card(const CliOptions& options) {
    const std::int32_t slot = options.slot;
    if (!session_.Capabilities().cards) {
        err_ << "velmar-cli: this frame has no card slots\n";
        return kExitFailure;
    }
    const ConfigBlock& config = session_.State().config;
    const CardType kind = EditableCardKind(config, slot);
    if (kind == CardType::None) {
        err_ << "velmar-cli: slot " << slot
             << (SlotBoard(config, slot).boardType > 0 ? " holds a card this console does not know"
                                                       : " is empty")
             << "; nothing sent\n";
        return kExitFailure;
    }
    ConfigBlock edited = config;
    CardRecord& card = edited.cards[static_cast<std::size_t>(slot - 1)];
    for (const std::string& assignment : options.assignments) {
        const std::size_t equals = assignment.find('=');
        const std::string name = assignment.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : assignment.substr(equals + 1);
        const std::optional<CardRow> row = FindCardRow(kind, name);
        if (!row) {
            err_ << "velmar-cli: the " << CardDescription(kind) << " in slot " << slot
                 << " has no parameter '" << name << "' (velmar-cli cards ADDR lists them); nothing sent\n";
            return kExitUsage;
        }
        // Later assignments see the earlier ones: a new interface type opens its own rows.
        if (!RowEditable(*row, card)) {
            err_ << "velmar-cli: " << RowName(*row)
                 << " cannot be changed on this card as it stands; nothing sent\n";
            return kExitUsage;
        }
        if (!StoreRowText(*row, value, card)) {
            err_ << "velmar-cli: '" << value << "' is not a value of " << RowName(*row)
                 << "; allowed: " << Choices(RowChoices(*row, card)) << "; nothing sent\n";
            return kExitUsage;
        }
    }
    const CardApplyPlan plan = PlanCardRequests(config, edited);
    if (plan.requests.empty()) {
        err_ << "velmar-cli: slot " << slot << " already holds these values; nothing sent\n";
        return kExitOk;
    }
    if (options.dryRun) {
        DeviceState preview = session_.State();
        preview.config = edited;
        RequestLinePrinter printer(out_);
        RequestWriter writer(printer, preview);
        for (const CardRequest& request : plan.requests)
            writer.SendCardSetting(request.set, request.card, request.index, request.group);
        return kExitOk;
    }

    RequestBatch sent(session_.Outcomes());
    const ConfigBlock opened = config;
    const CardApplyOutcome outcome =
        ApplyCardSettings(opened, edited, session_.State().config, session_.Requests());
    // The set replies repeat the request; the card's gets say what it took.
    for (const std::int32_t changed : outcome.cards)
        session_.Feature<InterfacesUnit>().CardSettings(changed);
    sent.Close();
    const int result = AwaitOutcomes(loop_, console_, sent, options.timeout, err_);
    if (result == kExitNotResponding) {
        // The frame image holds what was sent until the card is read back: shown now, it would
        // look like the frame's answer.
        err_ << "velmar-cli: slot " << slot << " was not read back\n";
        return result;
    }
    PrintSlotText(out_, session_.State().config, slot);
    return result;
}

namespace {

std::string ReadCard(std::span<const std::string> operands, CliOptions& options) {
    if (!ParseDecimal(operands[1], options.slot) || options.slot < 1 || options.slot > 8)
        return "card needs a SLOT from 1 to 8";
    options.assignments.assign(operands.begin() + 2, operands.end());
    for (const std::string& assignment : options.assignments) {
        if (assignment.find('=') == std::string::npos)
            return "card takes NAME=VALUE, not " + assignment;
    }
    return {};
}

int Cards(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    CardCommands(frame.session, frame.loop, frame.console, streams.out, streams.err).Cards(options);
    return frame.ReadResult(streams.err);
}

int Card(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    return CardCommands(frame.session, frame.loop, frame.console, streams.out, streams.err).Card(options);
}

constexpr std::array kCardCommands{
    CliCommand{
        .word = "cards",
        .operands = 1,
        .usage = "  cards ADDR          print every card slot and each card's parameters as the card\n"
                 "                      configuration page shows them (NAME, value, read-only marks)\n",
        .options = AddJsonOption,
        .run = OnReadFrame<IncompleteRead::Shows, Cards>,
    },
    CliCommand{
        .word = "card",
        .operands = 3,
        .more = true,
        .usage =
            "  card ADDR SLOT NAME=VALUE ...\n"
            "                      change parameters of the card in SLOT (1..8) with the requests the\n"
            "                      page's \"Save changes\" sends, wait for the answers, read the card back\n"
            "                      and print it. NAME is the grid row as CHANNEL:PARAMETER, letter case\n"
            "                      aside: \"3:Phantom power=on\", \"both:Interface type=hotlink\",\n"
            "                      \"2:Tx embedder mode group 4=use SRC\" (quote names with blanks). VALUE\n"
            "                      is one of the row's entries; any other value is refused with the list.\n"
            "                      Assignments apply in order, so a new interface type opens its rows.\n"
            "                      Levels are read-only; the DA card's DSD filter is one setting, shown\n"
            "                      and changed on every channel row.\n",
        .options = AddDryRunOption,
        .read = ReadCard,
        .run = OnReadFrame<IncompleteRead::Fails, Card>,
    },
};

}  // namespace

CliFeature InterfacesCliFeature() {
    return {kCardCommands, {}};
}

}  // namespace velmar
