// Measures the real game on a private X server and writes its figures as
// Markdown, which scripts/measure.sh puts into docs/performance.md: start-up
// time, CPU use while the ready screen waits and during play (beside the
// floor program run the same way), peak memory, and the figures of the world
// benchmarks, each the median of several runs, each beside the budget it is
// held to.
//
// Usage: measure_game WORLD_BENCH OUTPUT.md [RUNS]
#include <signal.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <limits>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "autopilot.h"
#include "backends.h"
#include "screen_text.h"
#include "x_session.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {


constexpr auto CPU_WINDOW = 10s;
// An idle ship on this seed's first level outlives the measurement.
constexpr int PLAY_TICKS = 1000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// User plus system CPU time of all the process's threads, in seconds.
double cpu_seconds(pid_t pid)
{
    const std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double utime = 0;
    double stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::stod(field);
        } else if (i == 15) {
            stime = std::stod(field);
        }
    }
    return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Percent of one core each process uses over the same next CPU_WINDOW.
std::vector<double> cpu_shares(const std::vector<pid_t>& pids)
{
    std::vector<double> before;
    for (pid_t pid : pids) {
        before.push_back(cpu_seconds(pid));
    }
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(CPU_WINDOW);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> shares;
    for (std::size_t i = 0; i < pids.size(); ++i) {
        shares.push_back(100 * (cpu_seconds(pids[i]) - before[i]) / elapsed);
    }
    return shares;
}

double status_kib(pid_t pid, const std::string& key)
{
    std::istringstream status(read_file("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0) {
            return std::stod(line.substr(key.size() + 1));
        }
    }
    return 0;
}

struct Run {
    double startup_ms = 0;
    double ready_cpu = 0;
    double play_cpu = 0;
    double floor_cpu = 0;
    double peak_rss_mib = 0;
    std::string renderer;
};

// One run: the game starts on the X server and waits on its ready screen,
// then plays while the floor program runs beside it, both measured over the
// same ten seconds, so that whatever else the machine is doing weighs on
// both alike.
Run measure(unsigned seed)
{
    Run run;
    const std::unique_ptr<RunningGame> game = chosen_backends().front().make();
    const Clock::time_point start = Clock::now();
    game->start({seed});
    poll_screens([&] { return game->screen({404, 452}); }, [](const Screenshot& s) { return shows_ready_letters(s, 1); },
                 20s, 1ms);
    run.startup_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(1s);
    run.ready_cpu = cpu_shares({game->pid()})[0];

    Process floor({{FLOOR_PATH}, SOURCE_DIR});
    game->keys("space");
    std::this_thread::sleep_for(1500ms);
    const std::vector<double> shares = cpu_shares({game->pid(), floor.pid()});
    run.play_cpu = shares[0];
    run.floor_cpu = shares[1];
    if (!game->running() || !floor.running()) {
        std::cerr << "the game or the floor ended during the measurement\n";
    }
    run.peak_rss_mib = status_kib(game->pid(), "VmHWM") / 1024;
    game->signal(SIGTERM);
    game->wait(10s);
    floor.signal(SIGTERM);
    floor.wait(10s);
    run.renderer = floor.out();
    run.renderer.erase(std::remove(run.renderer.begin(), run.renderer.end(), '\n'), run.renderer.end());
    return run;
}

// The benchmarks' medians by name, e.g. "BM_Frame/100" -> {"real_time": ..}.
using BenchFigures = std::map<std::string, std::map<std::string, double>>;

std::vector<std::string> split_csv(const std::string& line)
{
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells.push_back(cell);
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.push_back(cell);
    return cells;
}

// Runs one family of benchmarks: each run prints its own CSV header, which
// names the counters of that family only.
std::string run_family(const fs::path& bench, const std::string& family, int runs)
{
    std::vector<std::string> words = {bench.string(), "--benchmark_filter=^" + family,
                                      "--benchmark_repetitions=" + std::to_string(runs), "--benchmark_format=csv"};
    if (runs > 1) {
        words.push_back("--benchmark_report_aggregates_only=true");
    }
    Process benchmark({words});
    benchmark.wait(std::chrono::hours(1));
    return benchmark.out();
}

BenchFigures run_benchmarks(const fs::path& bench, int runs)
{
    std::string output;
    for (const char* family : {"BM_Progress", "BM_Frame", "BM_TextureInit", "BM_AllocationsPerQuietTick"}) {
        output += run_family(bench, family, runs);
    }
    BenchFigures figures;
    std::istringstream lines(output);
    std::string line;
    std::vector<std::string> header;
    while (std::getline(lines, line)) {
        const std::vector<std::string> cells = split_csv(line);
        if (cells.empty() || cells[0].empty()) {
            continue;
        }
        if (cells[0] == "name") {
            header = cells;
            continue;
        }
        if (header.empty()) {
            continue;
        }
        // With repetitions only the medians are kept; a single run reports
        // plain rows.
        std::string name = cells[0];
        const std::string suffix = "_median";
        const bool is_median = name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
        if ((runs > 1) != is_median) {
            continue;
        }
        if (is_median) {
            name.erase(name.size() - suffix.size());
        }
        const std::size_t manual = name.find("/manual_time");
        if (manual != std::string::npos) {
            name.erase(manual);
        }
        for (std::size_t i = 1; i < cells.size() && i < header.size(); ++i) {
            if (!cells[i].empty() && header[i] != "time_unit" && header[i] != "label" && header[i] != "error_message") {
                try {
                    figures[name][header[i]] = std::stod(cells[i]);
                } catch (const std::exception&) {
                }
            }
        }
    }
    return figures;
}

std::string machine()
{
    std::string model = "unknown";
    std::istringstream cpuinfo(read_file("/proc/cpuinfo"));
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    utsname u{};
    uname(&u);
    SDL_version sdl{};
    SDL_GetVersion(&sdl);
    std::ostringstream out;
    out << model << ", " << std::thread::hardware_concurrency() << " cores, " <<
        [] {
            std::istringstream meminfo(read_file("/proc/meminfo"));
            std::string key;
            double kib = 0;
            meminfo >> key >> kib;
            return static_cast<int>(kib / 1024 / 1024 + 0.5);
        }()
        << " GiB; Linux " << u.release << "; SDL " << int(sdl.major) << "." << int(sdl.minor) << "." << int(sdl.patch);
    return out.str();
}

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: measure_game WORLD_BENCH OUTPUT.md [RUNS]\n";
        return 2;
    }
    const fs::path bench = argv[1];
    const fs::path output = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

    std::cerr << "benchmarks, " << runs << " repetitions...\n";
    const BenchFigures figures = run_benchmarks(bench, runs);

    if (!x_client().connected()) {
        std::cerr << "no X server\n";
        return 1;
    }
    const unsigned seed = survivable_seed(1'800'000'000, 1, PLAY_TICKS);
    std::vector<double> startup, ready_cpu, play_cpu, floor_cpu, ratio, rss;
    std::string renderer;
    for (int i = 0; i < runs; ++i) {
        std::cerr << "game and floor, run " << i + 1 << " of " << runs << "...\n";
        const Run r = measure(seed);
        startup.push_back(r.startup_ms);
        ready_cpu.push_back(r.ready_cpu);
        play_cpu.push_back(r.play_cpu);
        floor_cpu.push_back(r.floor_cpu);
        ratio.push_back(r.play_cpu / std::max(r.floor_cpu, 1e-9));
        rss.push_back(r.peak_rss_mib);
        renderer = r.renderer;
    }

    auto bench_counter = [&](const std::string& name, const std::string& counter) {
        const auto it = figures.find(name);
        if (it == figures.end() || it->second.count(counter) == 0) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return it->second.at(counter);
    };
    auto bench_time = [&](const std::string& name) { return bench_counter(name, "real_time"); };
    auto verdict = [](bool met) { return met ? "yes" : "**no**"; };

    std::ofstream page(output);
    page << "Written by `scripts/measure.sh`; every figure is the median of " << runs << " runs.\n\n"
         << "Machine: " << machine() << ". Under Xvfb SDL's default renderer is `" << renderer
         << "`; the benchmarks draw on the software renderer (SDL's dummy video driver).\n\n"
         << "The game advances 50 ticks per second: each tick runs `Level::progress`, draws the whole frame and "
            "presents it, all within 20 ms.\n\n";

    page << "## The world and the frame (Google Benchmark)\n\n"
         << "| Figure | Median | Budget | Met |\n|---|---|---|---|\n";
    for (int d : {1, 10, 100, 1000}) {
        const std::string name = "BM_Progress/" + std::to_string(d);
        const double us = bench_time(name);
        const std::string budget = d == 100 ? "≤ 20 µs" : "—";
        page << "| `progress`, difficulty " << d << " (" << fixed(bench_counter(name, "rocks"), 0)
             << " rocks, 7 shots), per tick | " << fixed(us, 2) << " µs | " << budget << " | "
             << (d == 100 ? verdict(us <= 20) : "—") << " |\n";
    }
    for (int d : {1, 10, 100, 1000}) {
        const std::string name = "BM_Progress/" + std::to_string(d);
        page << "| `progress`, difficulty " << d << ", per rock | " << fixed(bench_counter(name, "ns_per_rock"), 1)
             << " ns | — | — |\n";
    }
    const double growth = bench_time("BM_Progress/1000") / std::max(1e-9, bench_time("BM_Progress/100"));
    page << "| `progress`, difficulty 1000 against 100 | " << fixed(growth, 1) << " × | about 10 × (linear in rocks) | "
         << verdict(growth < 15) << " |\n";
    for (int d : {1, 10, 100, 1000}) {
        const double us = bench_time("BM_Frame/" + std::to_string(d));
        std::string budget = "—";
        std::string met = "—";
        if (d == 100) {
            budget = "≤ 1 ms";
            met = verdict(us <= 1000);
        } else if (d == 1000) {
            budget = "< 20 ms";
            met = verdict(us < 20000);
        }
        page << "| one frame (`draw` + present), difficulty " << d << " | " << fixed(us / 1000, 3) << " ms | " << budget
             << " | " << met << " |\n";
    }
    const double textures_ms = bench_time("BM_TextureInit");
    page << "| `texture_init`, 378 images | " << fixed(textures_ms, 1) << " ms | ≤ 15 ms | "
         << verdict(textures_ms <= 15) << " |\n";
    const double allocations = bench_counter("BM_AllocationsPerQuietTick/100", "allocs_per_tick");
    page << "| heap allocations in a tick that fires and splits nothing | " << fixed(allocations, 2) << " | 0 | "
         << verdict(allocations == 0) << " |\n\n";

    const double floor = median(floor_cpu);
    const double play = median(play_cpu);
    page << "## The real game under Xvfb\n\n"
         << "| Figure | Median | Budget | Met |\n|---|---|---|---|\n"
         << "| process start to first ready frame presented | " << fixed(median(startup), 0) << " ms | — | — |\n"
         << "| CPU while the ready screen waits (10 s) | " << fixed(median(ready_cpu), 2) << " % of a core | < 1 % | "
         << verdict(median(ready_cpu) < 1) << " |\n"
         << "| CPU during play at difficulty 1 (10 s) | " << fixed(play, 1) << " % of a core | — | — |\n"
         << "| CPU of the floor program (clear and present every 20 ms, the same 10 s) | " << fixed(floor, 1)
         << " % of a core | — | — |\n"
         << "| play against the floor, measured side by side in each run | " << fixed(median(ratio), 2)
         << " × | ≤ 1.2 × | " << verdict(median(ratio) <= 1.2) << " |\n"
         << "| peak resident memory of the game | " << fixed(median(rss), 1) << " MiB | — | — |\n";
    page.close();
    std::cout << read_file(output);
    return 0;
}
