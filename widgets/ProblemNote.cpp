#include "widgets/ProblemNote.h"

#include <algorithm>

#include "widgets/IpAddressEdit.h"

namespace velmar {

namespace {

constexpr const char* kMarkedProperty = "velmarProblem";

}  // namespace

ProblemNote::ProblemNote(QWidget* parent) : QLabel(parent) {
    setWordWrap(true);
    QPalette red = palette();
    red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    setPalette(red);
    hide();
}

void ProblemNote::Set(QWidget* field, const QString& problem) {
    if (field == nullptr)
        return;
    Mark(*field, problem);
    auto known = std::find_if(problems_.begin(), problems_.end(),
                              [field](const auto& entry) { return entry.first == field; });
    if (known == problems_.end()) {
        problems_.emplace_back(field, problem);
    } else if (known->second == problem) {
        return;
    } else {
        known->second = problem;
    }
    Show();
    emit Changed();
}

void ProblemNote::Follow(IpAddressEdit* field, const QString& name) {
    const auto update = [this, field, name] {
        const QString problem = field->Problem();
        Set(field, problem.isEmpty() ? QString() : name + QStringLiteral(": ") + problem);
    };
    connect(field, &IpAddressEdit::ProblemChanged, this, update);
    update();
}

bool ProblemNote::AllGood() const {
    return std::all_of(problems_.begin(), problems_.end(),
                       [](const auto& entry) { return entry.first.isNull() || entry.second.isEmpty(); });
}

void ProblemNote::Show() {
    for (const auto& [field, problem] : problems_) {
        if (!field.isNull() && !problem.isEmpty()) {
            setText(problem);
            show();
            return;
        }
    }
    clear();
    hide();
}

void ProblemNote::Mark(QWidget& field, const QString& problem) {
    if (field.property(kMarkedProperty).toString() == problem)
        return;
    field.setProperty(kMarkedProperty, problem);
    field.setToolTip(problem);
    if (problem.isEmpty()) {
        field.setPalette(QPalette());
        return;
    }
    QPalette tinted = field.palette();
    tinted.setColor(QPalette::Base, QColor(0xff, 0xdc, 0xdc));
    field.setPalette(tinted);
}

}  // namespace velmar
