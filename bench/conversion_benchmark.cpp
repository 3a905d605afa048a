// Times each stage of converting the large benchmark project, the whole
// conversion, and in the same run the floor: inflating every archive entry
// the conversion uses plus writing as many output bytes, in as many files, to
// disk. Then runs the command-line tool on the large project for its peak
// memory and on the folder of small projects with one and with two jobs for
// the scaling, checks that both give the same output, and prints a summary.
//
// usage: kerfwright-bench PROJECTS-FOLDER [benchmark options]
// where PROJECTS-FOLDER is what kerfwright-bench-projects wrote.

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

#include "drawing/drawing.h"
#include "geometry/path_emitter.h"
#include "geometry/path_parser.h"
#include "reading/json_records.h"
#include "reading/lac_reader.h"
#include "reading/stored_bytes.h"
#include "reading/zip_archive.h"
#include "scene/flattener.h"
#include "writers/image_emitter.h"
#include "session/save_outputs.h"
#include "writers/sidecar_writer.h"
#include "writers/svg_writer.h"

#include "bench_floor.h"
#include "bench_setup.h"
#include "bench_summary.h"

using namespace kerfwright;
using namespace kerfwright::bench;

namespace {

// ---------------------------------------------------------------- helpers

struct DrawingStart {
    const LACCanvas* canvas;
    std::optional<Plate> plate;
};

// Parsed commands of each path object of one drawing, by object id.
using ParsedPaths = std::unordered_map<std::int64_t, std::vector<PathCommand>>;

// The canvases and plates in the order SVGWriter converts them.
std::vector<DrawingStart> drawingsOf(const LACDocument& document) {
    std::vector<DrawingStart> drawings;
    for (const LACCanvas& canvas : document.canvases) {
        const auto plates = document.plateComponentsByCanvas.find(canvas.index);
        if (plates == document.plateComponentsByCanvas.end() || plates->second.size() < 2) {
            drawings.push_back({&canvas, std::nullopt});
            continue;
        }
        for (const Plate& plate : plates->second) drawings.push_back({&canvas, plate});
    }
    return drawings;
}

// Each stage starts from what the stages before it made; made once, on first use.
struct Prepared {
    std::string sceneBytes;
    std::string settingsBytes;
    LoadedDocument loaded;
    std::vector<DrawingStart> drawings;
    std::vector<FlattenResult> flattened;  // one per drawing
    std::vector<ParsedPaths> parsed;       // one per drawing
    std::vector<const std::string*> distinctPathData;
};

const Prepared& prepared() {
    static const Prepared instance = [] {
        Prepared p;
        const auto opened = zip::Archive::open(setup().largeProject);
        const auto& archive = std::get<zip::Archive>(opened);
        p.sceneBytes = std::get<std::string>(archive.extract(*archive.find(kSceneEntry)));
        p.settingsBytes = std::get<std::string>(archive.extract(*archive.find(kSettingsEntry)));
        p.loaded = loadDocument(setup().largeProject);
        p.drawings = drawingsOf(p.loaded.document);
        std::unordered_set<const LACObject*> seen;
        for (const DrawingStart& drawing : p.drawings) {
            p.flattened.push_back(
                SceneGraphFlattener::flatten(*drawing.canvas, p.loaded.document.processSettings, drawing.plate));
            ParsedPaths parsed;
            for (const FlattenedNode& node : p.flattened.back().nodes) {
                const auto* path = std::get_if<LACObject::Path>(&node.object->kind);
                if (path == nullptr) continue;
                if (seen.insert(node.object).second) p.distinctPathData.push_back(&path->data);
                parsed.try_emplace(node.object->id, PathParser::parse(path->data).commands);
            }
            p.parsed.push_back(std::move(parsed));
        }
        return p;
    }();
    return instance;
}

// The native tool, or the web build's under Node.
enum class Build { native, node };

std::vector<std::string> cliConvertArguments(const fs::path& output, const std::vector<std::string>& inputs,
                                             std::optional<int> jobs, Build build = Build::native) {
    std::vector<std::string> arguments = {KERFWRIGHT_CLI_PATH};
    if (build == Build::node) arguments = {KERFWRIGHT_NODE_PATH, KERFWRIGHT_WEB_CLI_PATH};
    arguments.insert(arguments.end(), {"convert", "-o", output.string()});
    if (jobs) {
        arguments.push_back("-j");
        arguments.push_back(std::to_string(*jobs));
    }
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    return arguments;
}

// ---------------------------------------------------------------- benchmarks

void floorOf(benchmark::State& state, const fs::path& project) {
    const std::vector<std::size_t>& sizes = outputFileSizes(project);
    const std::string filler(*std::max_element(sizes.begin(), sizes.end()), 'x');
    const fs::path folder = freshFolder("floor");
    for (auto _ : state) {
        benchmark::DoNotOptimize(inflateUsedEntries(project));
        writeFiles(folder, sizes, filler);
    }
}

void Floor(benchmark::State& state) { floorOf(state, setup().largeProject); }

// The floor's two parts on their own.
void FloorInflating(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(inflateUsedEntries(setup().largeProject));
}

void FloorInflatingInOneCall(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(inflateUsedEntriesInOneCall(setup().largeProject));
}

void FloorWriting(benchmark::State& state) {
    const std::vector<std::size_t>& sizes = outputFileSizes(setup().largeProject);
    const std::string filler(*std::max_element(sizes.begin(), sizes.end()), 'x');
    const fs::path folder = freshFolder("floor-writing");
    for (auto _ : state) writeFiles(folder, sizes, filler);
}

void conversionOf(benchmark::State& state, const fs::path& project) {
    const fs::path folder = freshFolder("whole");
    for (auto _ : state) {
        const auto ignoreWarnings = [](std::size_t, const std::string&, const CanvasConversion&) {};
        if (!std::holds_alternative<SaveOutcome>(
                convertAndSaveAll(project, {}, folder, writeTextAtomically, 1, ignoreWarnings))) {
            state.SkipWithError("the conversion failed");
        }
    }
}

void WholeConversion(benchmark::State& state) { conversionOf(state, setup().largeProject); }

void Extraction(benchmark::State& state) {
    for (auto _ : state) {
        const auto opened = zip::Archive::open(setup().largeProject);
        const auto& archive = std::get<zip::Archive>(opened);
        for (const zip::Entry& entry : archive.entries()) {
            if (isUsedEntry(entry.path)) benchmark::DoNotOptimize(archive.extract(entry));
        }
    }
}

std::string withSpareRoom(const std::string& text) {
    std::string copy;
    copy.reserve(text.size() + 16 * 1024);
    copy = text;
    return copy;
}

void JsonDecoding(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        // The decoder takes its text over, as the reader hands it over, with
        // the spare room extraction leaves at the end of its buffer.
        state.PauseTiming();
        std::string sceneBytes = withSpareRoom(p.sceneBytes);
        std::string settingsBytes = withSpareRoom(p.settingsBytes);
        state.ResumeTiming();
        const auto scene = decodeScene(std::move(sceneBytes));
        const auto settings = decodeProcessSettings(std::move(settingsBytes));
        std::vector<LACCanvas> canvases;
        for (const RawCanvas& canvas : std::get<RawLACDocument>(scene).canvasList) canvases.push_back(toCanvas(canvas));
        benchmark::DoNotOptimize(toProcessSettings(std::get<RawProcessSettings>(settings)));
        benchmark::DoNotOptimize(plateComponentsByCanvas(std::get<RawProcessSettings>(settings)));
        benchmark::DoNotOptimize(canvases);
    }
}

void Reading(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(LACReader::read(setup().largeProject));
}

void Flattening(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        for (const DrawingStart& drawing : p.drawings) {
            benchmark::DoNotOptimize(
                SceneGraphFlattener::flatten(*drawing.canvas, p.loaded.document.processSettings, drawing.plate));
        }
    }
}

void PathParsing(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        for (const std::string* data : p.distinctPathData) benchmark::DoNotOptimize(PathParser::parse(*data));
    }
}

// Everything up to the writing of the documents: flattening, parsing,
// emitting and measuring, and the warnings.
void Resolving(benchmark::State& state) {
    const LACDocument& document = prepared().loaded.document;
    for (auto _ : state) {
        DrawingResolver::resolveEach(document, kConversionMarginMillimeters, 1,
                                     [](Drawing&& drawing) { benchmark::DoNotOptimize(drawing); });
    }
}

// Path data of every vector placement, paths, ellipses and arcs, with what it covers.
void Emitting(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        for (std::size_t i = 0; i < p.drawings.size(); ++i) {
            for (const FlattenedNode& node : p.flattened[i].nodes) {
                const LACObject::Kind& kind = node.object->kind;
                if (const auto* path = std::get_if<LACObject::Path>(&kind)) {
                    const auto& commands = p.parsed[i].at(node.object->id);
                    benchmark::DoNotOptimize(PathEmitter::emit(commands, node.transform, path->isClosed));
                } else if (const auto* e = std::get_if<LACObject::Ellipse>(&kind)) {
                    benchmark::DoNotOptimize(
                        PathEmitter::emitEllipse(e->centerX, e->centerY, e->radiusX, e->radiusY, node.transform));
                } else if (const auto* arc = std::get_if<LACObject::CenterPointArc>(&kind)) {
                    benchmark::DoNotOptimize(PathEmitter::emitCenterPointArc(arc->p0, arc->p1, arc->p2, node.transform));
                }
            }
        }
    }
}

void ImageEncoding(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        for (const FlattenResult& flattened : p.flattened) {
            for (const FlattenedNode& node : flattened.nodes) {
                const auto* image = std::get_if<LACObject::RasterImage>(&node.object->kind);
                if (image == nullptr) continue;
                const StoredBytes* bytes = p.loaded.document.image(image->fileName);
                if (bytes == nullptr) continue;
                // The benchmark's images are PNG files.
                const DrawnElement element{
                    node.object->id, node.object->name,
                    DrawnElement::Image{bytes, image->width, image->height, node.transform, "image/png"}};
                std::string out;
                benchmark::DoNotOptimize(ImageEmitter::appendElement(out, element));
                benchmark::DoNotOptimize(out);
            }
        }
    }
}

void SvgDocuments(benchmark::State& state) {
    const LACDocument& document = prepared().loaded.document;
    for (auto _ : state) benchmark::DoNotOptimize(SVGWriter::convert(document, kConversionMarginMillimeters));
}

void Sidecar(benchmark::State& state) {
    const LoadedDocument& loaded = prepared().loaded;
    for (auto _ : state) {
        for (const CanvasConversion& conversion : loaded.conversions) {
            benchmark::DoNotOptimize(SidecarWriter::text(conversion, loaded.document, "large.lac"));
        }
    }
}

void Writing(benchmark::State& state) {
    const LoadedDocument& loaded = prepared().loaded;
    const fs::path folder = freshFolder("writing");
    for (auto _ : state) benchmark::DoNotOptimize(saveAll(loaded, folder));
}

// The command-line tool on one project, as a user runs it; its peak
// resident memory is reported as a counter.
void cliPeakOf(benchmark::State& state, const fs::path& project, std::optional<int> jobs = std::nullopt) {
    const fs::path folder = freshFolder("cli-one");
    long peak = 0;
    for (auto _ : state) {
        const ChildRun run = runProgram(cliConvertArguments(folder, {project.string()}, jobs),
                                        setup().scratch / "cli-one.out", setup().scratch / "cli-one.err");
        if (run.exitStatus != 0) state.SkipWithError("the conversion failed");
        peak = std::max(peak, run.peakResidentKilobytes);
    }
    rusage own{};
    getrusage(RUSAGE_SELF, &own);
    if (own.ru_maxrss >= peak) state.SkipWithError("the benchmark's own memory hides the tool's peak");
    state.counters["peak_kB"] = static_cast<double>(peak);
}

void CliLargeProject(benchmark::State& state) { cliPeakOf(state, setup().largeProject); }
void CliLargeProjectOneJob(benchmark::State& state) { cliPeakOf(state, setup().largeProject, 1); }

// The web build on the large project, one core as the browser gives it.
void NodeLargeProject(benchmark::State& state) {
    const fs::path folder = freshFolder("node-large");
    for (auto _ : state) {
        const ChildRun run = runProgram(cliConvertArguments(folder, {setup().largeProject.string()}, 1, Build::node),
                                        setup().scratch / "node-large.out", setup().scratch / "node-large.err");
        if (run.exitStatus != 0) state.SkipWithError("the conversion failed");
    }
}

// Every job count writes into the same folder, so that the paths printed can
// be compared; the files are kept under a name of their own afterwards.
void CliSmallFolder(benchmark::State& state) {
    const int jobs = static_cast<int>(state.range(0));
    const std::string name = "cli-small-j" + std::to_string(jobs);
    const fs::path folder = freshFolder("cli-small");
    for (auto _ : state) {
        const ChildRun run = runProgram(cliConvertArguments(folder, setup().smallProjects, jobs),
                                        setup().scratch / (name + ".out"), setup().scratch / (name + ".err"));
        if (run.exitStatus != 0) state.SkipWithError("the conversion failed");
    }
    fs::remove_all(setup().scratch / name);
    fs::rename(folder, setup().scratch / name);
}

// The same folder, one job, written to a RAM disk: what making every file
// durable costs shows against the same run on disk.
void CliSmallFolderInMemory(benchmark::State& state) {
    const fs::path folder = *setup().memoryScratch / "cli-small";
    for (auto _ : state) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        const ChildRun run = runProgram(cliConvertArguments(folder, setup().smallProjects, 1),
                                        setup().scratch / "cli-small-memory.out",
                                        setup().scratch / "cli-small-memory.err");
        if (run.exitStatus != 0) state.SkipWithError("the conversion failed");
    }
    fs::remove_all(folder);
}

void registerBenchmarks() {
    const auto add = [](const std::string& name, auto function) {
        return benchmark::RegisterBenchmark(name.c_str(), function)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(kRepetitions)
            ->Iterations(1);
    };
    // The command-line runs come first: a child's peak memory counts its
    // parent's memory up to the moment it starts the tool, which is small
    // only before the other benchmarks have prepared anything.
    add("cli_large_project", CliLargeProject);
    add("cli_large_project_one_job", CliLargeProjectOneJob);
    add("cli_small_folder", CliSmallFolder)->Arg(1)->Arg(2);
    if (setup().memoryScratch) add("cli_small_folder_in_memory", CliSmallFolderInMemory);
    add("node_large_project", NodeLargeProject);
    for (const fs::path& mix : setup().mixes) {
        add("cli_mix/" + mix.stem().string(), [mix](benchmark::State& state) { cliPeakOf(state, mix); });
    }
    for (const fs::path& mix : setup().mixes) {
        add("mix_floor/" + mix.stem().string(), [mix](benchmark::State& state) { floorOf(state, mix); });
        add("mix_conversion/" + mix.stem().string(), [mix](benchmark::State& state) { conversionOf(state, mix); });
    }
    add("floor", Floor);
    add("floor_inflating", FloorInflating);
    add("floor_inflating_in_one_call", FloorInflatingInOneCall);
    add("floor_writing", FloorWriting);
    add("whole_conversion", WholeConversion);
    add("extraction", Extraction);
    add("json_decoding", JsonDecoding);
    add("reading", Reading);
    add("flattening", Flattening);
    add("path_parsing", PathParsing);
    add("resolving", Resolving);
    add("emitting", Emitting);
    add("image_encoding", ImageEncoding);
    add("svg_documents", SvgDocuments);
    add("sidecar", Sidecar);
    add("writing", Writing);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::fputs("usage: kerfwright-bench PROJECTS-FOLDER [benchmark options]\n", stderr);
        return 2;
    }
    try {
        setup() = setupFrom(argv[1]);
        registerBenchmarks();
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        printSummary(reporter);
    } catch (const std::exception& error) {
        std::fputs(error.what(), stderr);
        std::fputc('\n', stderr);
        return 1;
    }
    fs::remove_all(setup().scratch);
    if (setup().memoryScratch) fs::remove_all(*setup().memoryScratch);
    benchmark::Shutdown();
    return 0;
}
