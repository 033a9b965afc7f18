// The "Find a missing computer" dialog as the controller sees it: rows of marked findings, a
// progress figure and a verdict, all texts already in the language in use.
#pragma once

#include <string>
#include <vector>

#include "diagnosis/finding.h"

namespace ui {

struct DiagnosisRow {
    diagnosis::Mark mark = diagnosis::Mark::Good;
    std::string title;
    std::string summary;
    std::string fix;  // empty when nothing is to be done
    std::vector<std::string> details;
};

class DiagnosisView {
public:
    virtual ~DiagnosisView() = default;
    // A new run begins: rows are cleared and the start command is disabled until it ends.
    virtual void ShowRunning(bool running) = 0;
    virtual void ShowProgress(int done, int total) = 0;
    virtual void AddRow(const DiagnosisRow& row) = 0;
    virtual void ShowVerdict(diagnosis::Mark mark, const std::string& summary,
                             const std::string& fix) = 0;
};

}  // namespace ui
