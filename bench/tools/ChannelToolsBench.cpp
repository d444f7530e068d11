// How the channel-tool windows keep up with a 1536-channel frame: the opening requests' answers
// (label runs; thresholds, enable and status of every detector) arrive as the link reads them,
// at most 64 KiB per turn of the loop, and each turn is timed. The longest turn is the longest
// the window could not answer the operator; the sum is the time to fill beyond the frame's own.
// Typing into the find box of the filled labels window is timed per key, with the repaint, against
// the same keys typed into the window's plain label field, alternated round by round.
// Run offscreen: QT_QPA_PLATFORM=offscreen velmar-bench-channel-tools
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchFakes.h"
#include "device/Session.h"
#include "device/ui/Prompter.h"
#include "features/channeltools/view/ChannelLabelsDialog.h"
#include "features/leveldetectors/view/LevelDetectorDialog.h"
#include "tests/device/CoreFakes.h"
#include "tools/ChannelFindBox.h"

namespace velmar {
namespace {

using bench::Median;
using bench::SilentPrompter;

constexpr std::size_t kTurnBytes = 64 * 1024;
constexpr int kRounds = 15;

struct Figures {
    std::vector<double> open, fill, longestTurn;
};

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// What a frame answers to the level-detector dialog's opening requests.
std::string DetectorAnswers() {
    std::string lines;
    for (int direction = 0; direction <= 1; ++direction) {
        for (int ch = 1; ch <= 1536; ++ch) {
            lines += ":glevdetthres,0," + std::to_string(direction) + "," + std::to_string(ch) + ",-" +
                     std::to_string(ch % 60) + ".50," + std::to_string(ch * 10) + ",0.00,2000\r";
        }
    }
    for (const char* word : {"llevdetstate", "llevdetstatus"}) {
        for (int direction = 0; direction <= 1; ++direction) {
            for (int first = 1; first <= 1536; first += 128) {
                lines += std::string(":") + word + ",0," + std::to_string(direction) + "," +
                         std::to_string(first) + ",128";
                for (int k = 0; k < 128; ++k)
                    lines += (first + k) % 7 == 0 ? ",1" : ",0";
                lines += "\r";
            }
        }
    }
    return lines;
}

// What a frame answers to the labels dialog's opening requests.
std::string LabelAnswers() {
    std::string lines;
    for (int first = 1; first <= 1536; first += 32) {
        for (int direction = 0; direction <= 1; ++direction) {
            lines += ":llabel,0," + std::to_string(direction) + "," + std::to_string(first) + ",32";
            for (int k = 0; k < 32; ++k)
                lines += ",'" + std::string(direction == 0 ? "SOURCE-" : "DEST-") +
                         std::to_string(first + k) + "'";
            lines += "\r";
        }
    }
    return lines;
}

class Bench {
  public:
    Bench() : session_(transport_, datagrams_, timers_, LinkPorts{}, ConsoleOptions{}) {
        session_.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
        transport_.FinishConnect(0);
        transport_.Deliver(":gswver,0,2,'Main','2.0.0.1'\r");
    }

    // Opens a window (make), then feeds `answers` turn by turn, each turn with its painting.
    Figures Measure(const std::function<QWidget*(Session&)>& make, const std::string& answers) {
        Figures figures;
        for (int round = 0; round < kRounds; ++round) {
            session_.MutableState().ResetState();
            transport_.TakeSent();
            QElapsedTimer open;
            open.start();
            QWidget* window = make(session_);
            window->show();
            QApplication::processEvents();
            figures.open.push_back(Milliseconds(open));

            double total = 0;
            double longest = 0;
            for (std::size_t at = 0; at < answers.size(); at += kTurnBytes) {
                QElapsedTimer turn;
                turn.start();
                transport_.Deliver(answers.substr(at, kTurnBytes));
                window->repaint();
                QApplication::processEvents();
                const double ms = Milliseconds(turn);
                total += ms;
                longest = std::max(longest, ms);
            }
            figures.fill.push_back(total);
            figures.longestTurn.push_back(longest);
            delete window;
            QApplication::processEvents();
        }
        return figures;
    }

    Session& GetSession() { return session_; }
    void Feed(const std::string& answers) {
        for (std::size_t at = 0; at < answers.size(); at += kTurnBytes)
            transport_.Deliver(answers.substr(at, kTurnBytes));
        QApplication::processEvents();
    }

  private:
    test::FakeTimerService timers_;
    test::RecordingTransport transport_;
    test::FakeDatagramSocket datagrams_;
    Session session_;
};

void Print(const char* what, const Figures& f, std::size_t bytes) {
    std::printf("%s (%zu bytes of answers, %d rounds):\n", what, bytes, kRounds);
    std::printf("  open and first paint: median %.2f ms\n", Median(f.open));
    std::printf("  filled from the answers: median %.2f ms\n", Median(f.fill));
    std::printf("  longest turn of the loop: median %.2f ms, worst %.2f ms\n", Median(f.longestTurn),
                *std::max_element(f.longestTurn.begin(), f.longestTurn.end()));
}

// Types `text` into `field` key by key (after emptying it), each key timed with the window's repaint.
void TypeTimed(QWidget& window, QLineEdit& field, const std::string& text, std::vector<double>& keys) {
    field.selectAll();
    QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(&field, &erase);
    for (const char c : text) {
        QElapsedTimer key;
        key.start();
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QLatin1Char(c)));
        QApplication::sendEvent(&field, &press);
        window.repaint();
        QApplication::processEvents();
        keys.push_back(Milliseconds(key));
    }
}

void PrintFindTyping(Bench& bench, SilentPrompter& prompter, const std::string& labels) {
    bench.GetSession().MutableState().ResetState();
    ChannelLabelsDialog::RequestLabels(bench.GetSession());
    ChannelLabelsDialog dialog(bench.GetSession(), prompter, nullptr);
    dialog.resize(640, 560);
    dialog.show();
    bench.Feed(labels);
    // A label near the end (every key moves the list), then text that matches nothing (every key
    // walks all 1536 rows and both labels).
    const std::vector<std::string> queries{"DEST-1530", "zzzzzzzz"};
    std::vector<double> find;
    std::vector<double> plain;
    for (int round = 0; round < kRounds; ++round) {
        for (const std::string& query : queries) {
            TypeTimed(dialog, *dialog.FindBox(), query, find);
            TypeTimed(dialog, *dialog.InputField(), query, plain);
        }
    }
    const double findMedian = Median(find);
    const double plainMedian = Median(plain);
    std::printf("Find box of the labels window, 1536 labelled channels (%zu keys each):\n", find.size());
    std::printf("  a key in the find box: median %.2f ms, worst %.2f ms\n", findMedian,
                *std::max_element(find.begin(), find.end()));
    std::printf("  a key in the label field: median %.2f ms, worst %.2f ms\n", plainMedian,
                *std::max_element(plain.begin(), plain.end()));
    std::printf("  find key / plain key: %.2f\n", findMedian / plainMedian);
}

int Run() {
    SilentPrompter prompter;
    Bench bench;
    const std::string detectors = DetectorAnswers();
    Print("Level detectors, 1536 channels",
          bench.Measure(
              [&](Session& session) {
                  LevelDetectorDialog::RequestDetectors(session);
                  auto* dialog = new LevelDetectorDialog(session, prompter, nullptr);
                  dialog->resize(760, 560);
                  return dialog;
              },
              detectors),
          detectors.size());
    const std::string labels = LabelAnswers();
    Print("Channel labels, 1536 channels",
          bench.Measure(
              [&](Session& session) {
                  ChannelLabelsDialog::RequestLabels(session);
                  auto* dialog = new ChannelLabelsDialog(session, prompter, nullptr);
                  dialog->resize(640, 560);
                  return dialog;
              },
              labels),
          labels.size());
    PrintFindTyping(bench, prompter, labels);
    return 0;
}

}  // namespace
}  // namespace velmar

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return velmar::Run();
}
