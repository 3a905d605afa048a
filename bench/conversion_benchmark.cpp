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

#include <fcntl.h>
#include <libdeflate.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <optional>
#include <sstream>
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

namespace fs = std::filesystem;
using namespace kerfwright;

namespace {

// The floor may be no more than this many times faster than the conversion.
constexpr double kFloorRatioTarget = 2.5;
// Peak memory may be at most this many times the inflated entries and the output.
constexpr double kMemoryFactorTarget = 2.0;
// Converting the folder with two jobs must be at least this much faster than with one.
constexpr double kScalingTarget = 1.8;
// The folder written to disk with every file made durable may take at most
// this many times as long as written to a RAM disk.
constexpr double kDurabilityTarget = 1.15;
// The large project converted with every core may take at most this many
// times the floor, which is one core's.
constexpr double kAllCoresRatioTarget = 1.5;
// The medium project converted on one core must write at least this many
// bytes per second.
constexpr double kMediumBytesPerSecondTarget = 150e6;
constexpr std::string_view kMediumMix = "medium";
// The web build under Node, which has one thread, may take at most this many
// times the native tool's time on one job.
constexpr double kWebRatioTarget = 3.0;
// Repetitions of every measurement; the summary takes the fastest, the one
// least disturbed by whatever else the machine was doing.
constexpr int kRepetitions = 3;

constexpr std::string_view kSceneEntry = "2D/2dmodel.json";
constexpr std::string_view kSettingsEntry = "Metadata2D/project_settings.json";

struct Setup {
    fs::path largeProject;
    std::vector<fs::path> mixes;  // one project of each other mix, sorted
    std::vector<std::string> smallProjects;  // sorted, so every run converts them in one order
    fs::path scratch;                        // everything written goes below here
    std::optional<fs::path> memoryScratch;   // the same on a RAM disk, where there is one
};

Setup& setup() {
    static Setup instance;
    return instance;
}

// ---------------------------------------------------------------- helpers

// The entries LACReader reads: the two JSON files, configuration files and images.
bool isUsedEntry(std::string_view path) {
    return path == kSceneEntry || path == kSettingsEntry ||
           (path.starts_with("Metadata2D/") && path.ends_with(".config")) || path.starts_with("2D/Objects/");
}

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

fs::path freshFolder(const std::string& name) {
    const fs::path folder = setup().scratch / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The bytes of every regular file below `folder`, by path relative to it.
std::map<std::string, std::string> folderContents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) contents.emplace(fs::relative(entry.path(), folder).string(), readBytes(entry.path()));
    }
    return contents;
}

struct ChildRun {
    int exitStatus = -1;
    long peakResidentKilobytes = 0;
};

// Runs a program with its standard output and error going to files.
ChildRun runProgram(const std::vector<std::string>& arguments, const fs::path& outputPath,
                    const fs::path& errorPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + arguments[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return ChildRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
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

// ---------------------------------------------------------------- the floor

// Hands each used entry of the archive to `inflate`, which says whether it
// inflated to its recorded size; returns the bytes inflated.
template <typename Inflate>
std::uint64_t inflateEachUsedEntry(const fs::path& archivePath, Inflate inflate) {
    int error = 0;
    ::zip* archive = zip_open(archivePath.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) throw std::runtime_error("cannot open " + archivePath.string());
    std::uint64_t total = 0;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t stat;
        if (zip_stat_index(archive, index, 0, &stat) != 0 || !isUsedEntry(stat.name)) continue;
        if (!inflate(archive, index, stat)) throw std::runtime_error("cannot inflate " + std::string(stat.name));
        total += stat.size;
    }
    zip_discard(archive);
    return total;
}

// Reads `bytes.size()` bytes of the entry, inflated or, with ZIP_FL_COMPRESSED,
// as stored; false when there are fewer.
bool readEntry(::zip* archive, zip_uint64_t index, zip_flags_t flags, std::string& bytes) {
    zip_file_t* file = zip_fopen_index(archive, index, flags);
    const zip_int64_t read = zip_fread(file, bytes.data(), bytes.size());
    zip_fclose(file);
    return read == static_cast<zip_int64_t>(bytes.size());
}

// Inflates every used entry into a buffer of its recorded size, checking its
// CRC-32 as any unzip tool does (libzip streams it through zlib).
std::uint64_t inflateUsedEntries(const fs::path& archivePath) {
    std::string buffer;
    return inflateEachUsedEntry(archivePath, [&](::zip* archive, zip_uint64_t index, const zip_stat_t& stat) {
        buffer.resize(stat.size);
        const bool whole = readEntry(archive, index, 0, buffer);
        benchmark::DoNotOptimize(buffer.data());
        return whole;
    });
}

// The same, each deflated entry read as stored and inflated in one call, as
// the converter inflates the entries it can hold as they declare.
std::uint64_t inflateUsedEntriesInOneCall(const fs::path& archivePath) {
    std::string stored;
    std::string buffer;
    return inflateEachUsedEntry(archivePath, [&](::zip* archive, zip_uint64_t index, const zip_stat_t& stat) {
        const bool deflated = stat.comp_method == ZIP_CM_DEFLATE;
        stored.resize(deflated ? stat.comp_size : stat.size);
        buffer.resize(stat.size);
        if (!readEntry(archive, index, deflated ? ZIP_FL_COMPRESSED : 0, stored)) return false;
        if (deflated && !inflateInto(stored, buffer)) return false;
        const std::string& content = deflated ? buffer : stored;
        benchmark::DoNotOptimize(content.data());
        return libdeflate_crc32(0, content.data(), content.size()) == stat.crc;
    });
}

// The sizes of the files the conversion of a project writes, found once.
const std::vector<std::size_t>& outputFileSizes(const fs::path& project) {
    static std::map<fs::path, std::vector<std::size_t>> sizes;
    auto [found, isNew] = sizes.try_emplace(project);
    if (isNew) {
        const fs::path folder = freshFolder("sizes");
        saveAll(loadDocument(project), folder);
        for (const auto& [name, bytes] : folderContents(folder)) found->second.push_back(bytes.size());
    }
    return found->second;
}

// Writes files of the given sizes, each made durable as the converter makes
// its outputs durable.
void writeFiles(const fs::path& folder, const std::vector<std::size_t>& sizes, const std::string& filler) {
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const fs::path path = folder / ("file-" + std::to_string(i));
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::string_view rest(filler.data(), sizes[i]);
        while (!rest.empty()) {
            const ssize_t written = ::write(fd, rest.data(), rest.size());
            if (written <= 0) throw std::runtime_error("cannot write " + path.string());
            rest.remove_prefix(static_cast<std::size_t>(written));
        }
        ::fsync(fd);
        ::close(fd);
    }
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

// ---------------------------------------------------------------- summary

// Keeps the fastest repetition of each benchmark while printing as usual.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            std::string key = run.run_name.function_name;
            if (!run.run_name.args.empty()) key += "/" + run.run_name.args;
            const double milliseconds = run.GetAdjustedRealTime();
            const auto [entry, isNew] = fastest_.try_emplace(key, milliseconds);
            if (!isNew) entry->second = std::min(entry->second, milliseconds);
            for (const auto& [counter, value] : run.counters) counters_[key + ":" + counter] = value;
        }
    }

    std::optional<double> milliseconds(const std::string& key) const { return find(fastest_, key); }
    std::optional<double> counter(const std::string& key) const { return find(counters_, key); }

private:
    static std::optional<double> find(const std::map<std::string, double>& values, const std::string& key) {
        const auto found = values.find(key);
        if (found == values.end()) return std::nullopt;
        return found->second;
    }

    std::map<std::string, double> fastest_;
    std::map<std::string, double> counters_;
};

std::string fixed(double value, int decimals) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::string megabytes(double bytes) { return fixed(bytes / 1e6, 1) + " MB"; }

void printLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
}

std::string verdict(bool met) { return met ? "  (target met)" : "  (TARGET MISSED)"; }

std::uint64_t inflatedEntryBytes(const fs::path& project) {
    const auto opened = zip::Archive::open(project);
    std::uint64_t total = 0;
    for (const zip::Entry& entry : std::get<zip::Archive>(opened).entries()) {
        if (!isUsedEntry(entry.path)) continue;
        total += std::get<std::string>(std::get<zip::Archive>(opened).extract(entry)).size();
    }
    return total;
}

// The same standard output and error and the same files whatever the number of jobs.
bool jobCountChangesNothing() {
    const fs::path scratch = setup().scratch;
    return folderContents(scratch / "cli-small-j1") == folderContents(scratch / "cli-small-j2") &&
           readBytes(scratch / "cli-small-j1.out") == readBytes(scratch / "cli-small-j2.out") &&
           readBytes(scratch / "cli-small-j1.err") == readBytes(scratch / "cli-small-j2.err");
}

// One project of another mix: its ratio to the floor, its output per
// second and its peak memory.
void printMixSummary(const SummaryReporter& reporter, const fs::path& mix) {
    const std::string name = mix.stem().string();
    const auto floor = reporter.milliseconds("mix_floor/" + name);
    const auto whole = reporter.milliseconds("mix_conversion/" + name);
    const auto peakKilobytes = reporter.counter("cli_mix/" + name + ":peak_kB");
    if (!whole && !peakKilobytes) return;
    const double inflated = static_cast<double>(inflatedEntryBytes(mix));
    const auto& sizes = outputFileSizes(mix);
    const double output = static_cast<double>(std::accumulate(sizes.begin(), sizes.end(), std::size_t{0}));
    printLine("  " + name + ": " + megabytes(inflated) + " inflated entries, " + megabytes(output) + " written in " +
              std::to_string(sizes.size()) + " files");
    if (whole && floor) {
        const double ratio = *whole / *floor;
        const double bytesPerSecond = output / *whole * 1000;
        printLine("    conversion " + fixed(*whole, 0) + " ms, floor " + fixed(*floor, 0) + " ms, ratio " +
                  fixed(ratio, 2) + verdict(ratio <= kFloorRatioTarget) + ", " + megabytes(bytesPerSecond) +
                  " written per second" +
                  (name == kMediumMix ? verdict(bytesPerSecond >= kMediumBytesPerSecondTarget) : ""));
    }
    if (peakKilobytes) {
        const double peak = *peakKilobytes * 1024;
        printLine("    peak memory " + megabytes(peak) + " (" + fixed(peak / (inflated + output), 2) +
                  " x entries + output)" + verdict(peak <= kMemoryFactorTarget * (inflated + output)));
    }
}

// Lines whose measurements were filtered out are left out.
void printSummary(const SummaryReporter& reporter) {
    printLine("");
    printLine("Summary (fastest of " + std::to_string(kRepetitions) + " runs each)");
    const auto floor = reporter.milliseconds("floor");
    const auto whole = reporter.milliseconds("whole_conversion");
    const auto peakKilobytes = reporter.counter("cli_large_project:peak_kB");
    if (whole || peakKilobytes) {
        const double inflated = static_cast<double>(inflatedEntryBytes(setup().largeProject));
        const auto& sizes = outputFileSizes(setup().largeProject);
        const double output = static_cast<double>(std::accumulate(sizes.begin(), sizes.end(), std::size_t{0}));
        printLine("  large project:     " + megabytes(inflated) + " inflated entries, " + megabytes(output) +
                  " written in " + std::to_string(sizes.size()) + " files");
        if (peakKilobytes) {
            const double peak = *peakKilobytes * 1024;
            const double limit = kMemoryFactorTarget * (inflated + output);
            printLine("  peak memory:       " + megabytes(peak) + " of at most " + megabytes(limit) + " (" +
                      fixed(peak / (inflated + output), 2) + " x entries + output)" + verdict(peak <= limit));
        }
    }
    if (whole && floor) {
        const double ratio = *whole / *floor;
        printLine("  whole conversion:  " + fixed(*whole, 0) + " ms");
        printLine("  floor:             " + fixed(*floor, 0) + " ms (inflate the entries used, write as many bytes)");
        printLine("  ratio to floor:    " + fixed(ratio, 2) + verdict(ratio <= kFloorRatioTarget) + ", target " +
                  fixed(kFloorRatioTarget, 1));
        const auto streamed = reporter.milliseconds("floor_inflating");
        const auto inOneCall = reporter.milliseconds("floor_inflating_in_one_call");
        if (streamed && inOneCall) {
            const double lowerFloor = *floor - *streamed + *inOneCall;
            printLine("  floor inflating in one call: " + fixed(lowerFloor, 0) + " ms (inflating " +
                      fixed(*inOneCall, 0) + " ms, not " + fixed(*streamed, 0) + "), ratio " +
                      fixed(*whole / lowerFloor, 2));
        }
    }
    const auto allCores = reporter.milliseconds("cli_large_project");
    if (allCores && floor) {
        const double ratio = *allCores / *floor;
        printLine("  all cores:         " + fixed(*allCores, 0) + " ms, " + fixed(ratio, 2) + " x the floor" +
                  verdict(ratio <= kAllCoresRatioTarget) + ", target " + fixed(kAllCoresRatioTarget, 1));
    }
    const auto native = reporter.milliseconds("cli_large_project_one_job");
    const auto node = reporter.milliseconds("node_large_project");
    if (native && node) {
        const double ratio = *node / *native;
        printLine("  web build, Node:   " + fixed(*node, 0) + " ms against the native tool's " + fixed(*native, 0) +
                  " ms on one job, " + fixed(ratio, 2) + " x" + verdict(ratio <= kWebRatioTarget) + ", target " +
                  fixed(kWebRatioTarget, 1));
    }
    const auto oneJob = reporter.milliseconds("cli_small_folder/1");
    const auto twoJobs = reporter.milliseconds("cli_small_folder/2");
    if (oneJob && twoJobs) {
        const double speedUp = *oneJob / *twoJobs;
        printLine("  small folder:      " + std::to_string(setup().smallProjects.size()) + " projects, -j 1 " +
                  fixed(*oneJob, 0) + " ms, -j 2 " + fixed(*twoJobs, 0) + " ms");
        printLine("  speed-up 1 -> 2:   " + fixed(speedUp, 2) + verdict(speedUp >= kScalingTarget) + ", target " +
                  fixed(kScalingTarget, 1));
        printLine(std::string("  -j 1 and -j 2:     ") +
                  (jobCountChangesNothing() ? "the same output, byte for byte" : "OUTPUTS DIFFER"));
    }
    const auto inMemory = reporter.milliseconds("cli_small_folder_in_memory");
    if (oneJob && inMemory) {
        const double ratio = *oneJob / *inMemory;
        printLine("  disk vs RAM disk:  -j 1 " + fixed(*oneJob, 0) + " ms on disk, " + fixed(*inMemory, 0) +
                  " ms on a RAM disk, " + fixed(ratio, 2) + " x" + verdict(ratio <= kDurabilityTarget) +
                  ", target " + fixed(kDurabilityTarget, 2));
    }
    for (const fs::path& mix : setup().mixes) printMixSummary(reporter, mix);
}

Setup setupFrom(const fs::path& projects) {
    Setup made;
    made.largeProject = projects / "large.lac";
    for (const auto& entry : fs::directory_iterator(projects / "small")) {
        if (entry.path().extension() == ".lac") made.smallProjects.push_back(entry.path().string());
    }
    std::sort(made.smallProjects.begin(), made.smallProjects.end());
    if (fs::is_directory(projects / "mixes")) {
        for (const auto& entry : fs::directory_iterator(projects / "mixes")) {
            if (entry.path().extension() == ".lac") made.mixes.push_back(entry.path());
        }
    }
    std::sort(made.mixes.begin(), made.mixes.end());
    if (!fs::exists(made.largeProject) || made.smallProjects.empty()) {
        throw std::runtime_error("no benchmark projects in " + projects.string() +
                                 "; make them with kerfwright-bench-projects");
    }
    std::string scratch = (fs::temp_directory_path() / "kerfwright-bench-XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
    made.scratch = scratch;
    std::string memoryScratch = "/dev/shm/kerfwright-bench-XXXXXX";
    if (fs::is_directory("/dev/shm") && mkdtemp(memoryScratch.data()) != nullptr) made.memoryScratch = memoryScratch;
    return made;
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
