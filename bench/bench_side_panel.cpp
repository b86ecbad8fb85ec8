// Times the side panel's trees in the editor's window on a document of about two million
// elements, the way a user meets them:
// - a rebuild: from asking for it to both trees shown with the root item open and painted
//   (target < 1.5 s), with the window repainted every 10 ms meanwhile: the longest time
//   the window went without a repaint shows that the reading ran aside;
// - expanding the node with the most children (the root element, a few hundred thousand
//   tags) and the largest category of Resources, with the repaint (target < 50 ms);
// - peak memory of the process as a multiple of the text.
//
//   bench_side_panel [--elements N] [--runs R]
//
// The document is dialect text made here: a movie of shapes with their edges, placements
// with their matrices, sprites with nested placements and frames, as real movies hold them.
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "bench_util.h"

#include "documents/document.h"
#include "documents/documents_owner.h"
#include "documents/side_panel.h"
#include "frame/main_window.h"
#include "frame/recent_settings.h"
#include "tree/left_tree_control.h"
#include "tree/tree_model.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// About `elements` elements of dialect text, and how many it holds.
std::string makeDocument(std::size_t elements, std::size_t& made) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                       "<Movie SwfVersion=\"10\" Width=\"550\" Height=\"400\" FrameRate=\"24\" "
                       "IsCompressed=\"false\">\n";
    made = 2; // Movie and its End
    for (std::size_t id = 1; made < elements; ++id) {
        const std::string n = std::to_string(id);
        if (id % 16 == 0) {
            // A sprite of two placements and two frames: 7 elements.
            text += "    <DefineSprite SpriteId=\"" + n +
                    "\" FrameCount=\"2\">\n"
                    "        <PlaceObject2 Depth=\"1\" CharacterId=\"" +
                    std::to_string(id - 1) +
                    "\" />\n"
                    "        <ShowFrame />\n"
                    "        <PlaceObject2 Depth=\"1\" Move=\"true\">\n"
                    "            <Matrix TranslateX=\"20\" TranslateY=\"40\" />\n"
                    "        </PlaceObject2>\n"
                    "        <ShowFrame />\n"
                    "        <End />\n"
                    "    </DefineSprite>\n";
            made += 7;
            continue;
        }
        // A shape of four edges, placed, and a frame: 14 elements.
        text += "    <DefineShape3 ShapeId=\"" + n +
                "\">\n"
                "        <Bounds MinX=\"0\" MaxX=\"2000\" MinY=\"0\" MaxY=\"2000\" />\n"
                "        <FillStyles>\n"
                "            <SolidFill Color=\"ff0000ff\" />\n"
                "        </FillStyles>\n"
                "        <LineStyles />\n"
                "        <ShapeRecords>\n"
                "            <StyleChange MoveX=\"0\" MoveY=\"0\" FillStyle1=\"1\" />\n"
                "            <StraightEdge DeltaX=\"2000\" DeltaY=\"0\" />\n"
                "            <StraightEdge DeltaX=\"0\" DeltaY=\"2000\" />\n"
                "            <StraightEdge DeltaX=\"-2000\" DeltaY=\"0\" />\n"
                "            <StraightEdge DeltaX=\"0\" DeltaY=\"-2000\" />\n"
                "        </ShapeRecords>\n"
                "    </DefineShape3>\n"
                "    <PlaceObject2 Depth=\"" +
                std::to_string(id % 100 + 1) + "\" CharacterId=\"" + n +
                "\">\n"
                "        <Matrix TranslateX=\"" +
                std::to_string(id % 5000) +
                "\" />\n"
                "    </PlaceObject2>\n"
                "    <ShowFrame />\n";
        made += 14;
    }
    text += "    <End />\n</Movie>\n";
    return text;
}

std::uint64_t residentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoull(line.substr(6)) * 1024;
    return 0;
}

// The child with the most children below `parent`, and their number.
QModelIndex largestChild(const QAbstractItemModel& model, const QModelIndex& parent, int& rows) {
    QModelIndex largest;
    rows = -1;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        if (model.rowCount(index) > rows) {
            rows = model.rowCount(index);
            largest = index;
        }
    }
    return largest;
}

// Collapses a node, then times opening it again with the repaint that shows it.
double timeExpand(vorn::CLeftTreeControl& tree, const QModelIndex& node) {
    tree.collapse(node);
    tree.viewport()->repaint();
    QApplication::processEvents();
    return bench::timeOnce([&] {
        tree.expand(node);
        tree.viewport()->repaint();
    });
}

} // namespace

int main(int argc, char** argv) {
    std::size_t elements = 2'000'000;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--elements") && i + 1 < argc)
            elements = std::stoul(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::stoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: bench_side_panel [--elements N] [--runs R]\n");
            return 2;
        }
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    QSettings settings(folder.filePath("settings.conf"), QSettings::IniFormat);
    vorn::QSettingsRecentStorage storage(settings);
    vorn::ScriptedPrompts prompts;
    vorn::CNewMainWindow window(prompts, storage);
    window.resize(1200, 800);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "bench_side_panel: the window did not show\n");
        return 1;
    }

    std::size_t made = 0;
    const std::string path = folder.filePath("large.xml").toStdString();
    std::uint64_t textBytes = 0;
    {
        const std::string text = makeDocument(elements, made);
        textBytes = text.size();
        std::ofstream(path, std::ios::binary) << text;
    }
    const std::uint64_t baseline = residentBytes();
    window.setStartFiles({path});
    window.runStartup();
    auto* document = dynamic_cast<vorn::CExtendedXmlDocument*>(window.activeDocument());
    if (!document || !prompts.shown.empty()) {
        std::fprintf(stderr, "bench_side_panel: the document did not open\n");
        return 1;
    }
    vorn::CSidePanel& panel = *document->sidePanel();
    vorn::CView& view = *document->view();
    if (!QTest::qWaitFor([&] { return !panel.isBuilding(); }, 60000)) {
        std::fprintf(stderr, "bench_side_panel: the trees of the opened document did not come\n");
        return 1;
    }

    // The window repaints every 10 ms while the trees are read; the longest wait between two
    // repaints is what the user would see as a stall.
    double longestGap = 0;
    int repaints = 0;
    bench::Clock::time_point last = bench::Clock::now();
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        window.repaint();
        ++repaints;
        longestGap = std::max(longestGap, bench::secondsSince(last));
        last = bench::Clock::now();
    });

    std::vector<double> rebuilds, gaps;
    std::vector<int> paints;
    for (int run = 0; run < runs; ++run) {
        bool done = false;
        const auto connection = QObject::connect(&panel, &vorn::CSidePanel::rebuilt,
                                                 [&](bool parsed) { done = parsed; });
        longestGap = 0;
        repaints = 0;
        last = bench::Clock::now();
        ticker.start();
        const bench::Clock::time_point start = bench::Clock::now();
        panel.rebuild(view);
        while (!done)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        panel.tagsTree()->viewport()->repaint();
        rebuilds.push_back(bench::secondsSince(start));
        ticker.stop();
        gaps.push_back(longestGap);
        paints.push_back(repaints);
        QObject::disconnect(connection);
    }

    vorn::CLeftTreeControl& tags = *panel.tagsTree();
    vorn::CLeftTreeControl& resources = *panel.resourcesTree();
    int tagRows = 0, categoryRows = 0;
    const QModelIndex root = largestChild(*tags.model(), {}, tagRows);
    const QModelIndex category = largestChild(*resources.model(), {}, categoryRows);
    panel.setCurrentWidget(&resources);
    std::vector<double> expandTags, expandCategory;
    for (int run = 0; run < runs; ++run) {
        expandCategory.push_back(timeExpand(resources, category));
    }
    panel.setCurrentWidget(&tags);
    for (int run = 0; run < runs; ++run)
        expandTags.push_back(timeExpand(tags, root));
    const std::uint64_t peak = bench::peakRssBytes();

    const auto best = [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    };
    const auto worst = [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    };
    std::printf("document        %.1f MB of XML text, %zu elements (%zu items in Tags)\n",
                bench::mb(textBytes), made, tags.treeModel()->tree().size() - 1);
    std::printf("rebuild         %.3f s best, %.3f s slowest of %d to both trees shown (target "
                "< 1.5 s)\n",
                best(rebuilds), worst(rebuilds), runs);
    std::printf("  repainting    the window repainted %d times meanwhile, at most %.1f ms apart\n",
                paints.back(), worst(gaps) * 1e3);
    std::printf("expand          %.2f ms best, %.2f ms slowest: %s with %d children (target < "
                "50 ms)\n",
                best(expandTags) * 1e3, worst(expandTags) * 1e3,
                root.data().toString().toUtf8().constData(), tagRows);
    std::printf("                %.2f ms best, %.2f ms slowest: Resources' %s with %d children\n",
                best(expandCategory) * 1e3, worst(expandCategory) * 1e3,
                category.data().toString().toUtf8().constData(), categoryRows);
    std::printf("peak memory     %.0f MB, %.2f x the text; %.0f MB before the document opened\n",
                bench::mb(peak), static_cast<double>(peak) / static_cast<double>(textBytes),
                bench::mb(baseline));
    const bool met = worst(rebuilds) < 1.5 && worst(expandTags) < 0.05 &&
                     worst(expandCategory) < 0.05 && worst(gaps) < 0.1;
    window.documents().closeAllDocuments();
    return met ? 0 : 3;
}
