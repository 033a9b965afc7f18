#include "cli/download_paths.h"

namespace cli {

std::string DescribeNameProblem(NameProblem problem) {
    switch (problem) {
        case NameProblem::None:
            return "name accepted";
        case NameProblem::Empty:
            return "empty name";
        case NameProblem::DotName:
            return "name \".\" or \"..\"";
        case NameProblem::Slash:
            return "name contains \"/\"";
        case NameProblem::Backslash:
            return "name contains \"\\\"";
        case NameProblem::Nul:
            return "name contains a NUL byte";
        case NameProblem::LineBreak:
            return "name contains a line break";
        case NameProblem::TooLong:
            return "name longer than 255 bytes";
    }
    return "bad name";
}

std::string DescribeRefusal(const client::WalkRefusal& refusal) {
    switch (refusal.kind) {
        case client::WalkRefusalKind::BadName:
            return DescribeNameProblem(refusal.name);
        case client::WalkRefusalKind::NotBelowRoot:
            return "not below the downloaded folder";
        case client::WalkRefusalKind::TooDeep:
            return "folders nested too deep";
        case client::WalkRefusalKind::TooManyFolders:
            return "too many folders in one download";
        case client::WalkRefusalKind::TooManyFiles:
            return "too many files in one download";
        case client::WalkRefusalKind::ListedTwice:
            return "listed twice";
        case client::WalkRefusalKind::NegativeSize:
            return "listed with a negative size";
    }
    return "refused";
}

}  // namespace cli
