// Showing a folder of 100,000 files in the desktop program: from the listing's arrival at the
// main-window controller to the file list painted, on Qt's offscreen platform, over the recording
// network of the tests (no socket, no thread). Prints every round and the best and median.
// Usage: bench_file_list_100k [files=100000] [rounds=5]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "qt/file_list.h"
#include "qt/host_tree.h"
#include "qt/main_window.h"
#include "ui/fakes_network.h"

namespace {

constexpr Ipv4 kLocalHost = 0x0100007F;  // 127.0.0.1 in network order

JobId LastExpand(const fakes::FakeNetwork& network, const std::string& path) {
    JobId found = 0;
    for (const auto& job : network.JobsOf(JobType::Expand)) {
        if (job.address == kLocalHost && job.remotePath == path) found = job.id;
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    QApplication app(argc, argv);

    fakes::FakeNetwork* network = nullptr;
    const QString settings = QDir::temp().filePath("wendaro-bench-file-list.ini");
    QFile::remove(settings);
    qtui::MainWindow window({settings.toStdString(), false}, [&](const ui::NetworkSetup& setup) {
        auto created = std::make_unique<fakes::FakeNetwork>(setup.listeners);
        network = created.get();
        return created;
    });
    window.resize(850, 600);
    window.show();
    window.Controller().OnExpandSucceeded(LastExpand(*network, "\\"), {{"Big", 0, true}});
    window.Tree().expandAll();
    const auto shares = window.Tree().findItems("Big", Qt::MatchExactly | Qt::MatchRecursive);
    if (shares.isEmpty()) {
        std::fprintf(stderr, "the share did not show in the tree\n");
        return 1;
    }
    window.Tree().setFocus();
    window.Tree().setCurrentItem(shares.front());
    QApplication::processEvents();

    std::vector<DirEntry> listing;
    listing.reserve(static_cast<std::size_t>(files));
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "file%06d.dat", i);
        listing.push_back({name, static_cast<std::int64_t>(i) * 997, false});
    }

    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        window.Controller().Refresh();
        const JobId job = LastExpand(*network, "\\Big\\");
        QElapsedTimer timer;
        timer.start();
        window.Controller().OnExpandSucceeded(job, listing);
        const double controllerMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        window.Files().Commit();
        window.Files().viewport()->repaint();
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        times.push_back(ms);
        std::printf(
            "round %d: %d rows shown in %.1f ms (controller and model %.1f ms, view %.1f ms)\n",
            round + 1, window.Files().RowCount(), ms, controllerMs, ms - controllerMs);
        if (window.Files().RowCount() != files) {
            std::fprintf(stderr, "expected %d rows\n", files);
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("folder of %d files: best %.1f ms, median %.1f ms (target < 500 ms)\n", files,
                times.front(), times[times.size() / 2]);
    QFile::remove(settings);
    return 0;
}
