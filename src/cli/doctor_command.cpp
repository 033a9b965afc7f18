// doctor [HOST]: why another computer cannot be seen, checked step by step with a verdict.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/listing_format.h"
#include "diagnosis/diagnosis.h"
#include "ui/text/diagnosis_text.h"
#include "ui/text/ui_strings.h"

namespace cli {

namespace {

const char* MarkLabel(diagnosis::Mark mark) {
    switch (mark) {
        case diagnosis::Mark::Good:
            return "[ ok ] ";
        case diagnosis::Mark::Warning:
            return "[warn] ";
        case diagnosis::Mark::Problem:
            return "[FAIL] ";
    }
    return "";
}

void PrintFinding(std::ostream& out, const diagnosis::Finding& finding) {
    out << MarkLabel(finding.mark) << ui::ShowText(finding.title) << ": "
        << ui::ShowText(finding.summary) << '\n';
    for (const std::string& detail : finding.details) {
        out << "         " << PrintableText(detail) << '\n';
    }
    if (!finding.fix.empty()) {
        out << "         " << ui::Translate("What to do:") << ' ' << ui::ShowText(finding.fix)
            << '\n';
    }
    out.flush();
}

int RunDoctor(const CommandContext& context, const std::string& host, double listenSeconds) {
    diagnosis::DiagnosisRequest request;
    request.host = host;
    request.discoveryPort = context.options.discoveryPort;
    request.requestPort = context.options.requestPort;
    request.chatPort = context.options.chatPort;
    request.listen = std::chrono::milliseconds(static_cast<long long>(listenSeconds * 1000));
    const diagnosis::Report report = diagnosis::RunDiagnosis(
        request,
        [&](const diagnosis::Finding& finding, int, int) { PrintFinding(context.out, finding); },
        nullptr);
    context.out << '\n'
                << ui::Translate("Verdict:") << ' ' << ui::ShowText(report.verdict.summary) << " ("
                << diagnosis::CauseKey(report.verdict.cause) << ")\n";
    if (!report.verdict.fix.empty()) {
        context.out << ui::Translate("What to do:") << ' ' << ui::ShowText(report.verdict.fix)
                    << '\n';
    }
    context.out.flush();
    return report.AllWell() ? kExitOk : kExitFailure;
}

}  // namespace

void AddDoctorCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto host = std::make_shared<std::string>();
    auto listenSeconds = std::make_shared<double>(3.0);
    CLI::App* doctor = app.add_subcommand(
        "doctor", "Find out why another computer cannot be seen (exit 1 when a problem is found)");
    doctor->add_option("HOST", *host, "The missing computer's name or dotted address");
    doctor
        ->add_option("--listen", *listenSeconds, "How long to listen for announcements (default 3)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.1, 60.0));
    doctor->callback([&context, &action, host, listenSeconds] {
        action = [&context, host, listenSeconds] {
            return RunDoctor(context, *host, *listenSeconds);
        };
    });
}

}  // namespace cli
