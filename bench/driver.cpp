#include "driver.h"

#include "datagen.h"
#include "measure.h"
#include "textdigest.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace tavbench {

namespace {

struct Case {
    const char* name;
    std::string lines, kb;         // our settings
    std::vector<std::string> gnu;  // the nearest coreutils command, before SOURCE and OUT
    bool gnu_is_split;             // otherwise cp, which takes a file name, not a prefix
};

struct Summary {
    double seconds = 0, synced = 0, cpu = 0;
    long peak_rss_kib = 0;
    bool ok = true;
};

Summary summarise(const std::vector<Cost>& costs) {
    std::vector<double> s, y, u;
    Summary out;
    for (const Cost& c : costs) {
        s.push_back(c.seconds);
        y.push_back(c.synced);
        u.push_back(c.cpu);
        out.peak_rss_kib = std::max(out.peak_rss_kib, c.peak_rss_kib);
        out.ok = out.ok && c.ok;
    }
    std::sort(s.begin(), s.end());
    std::sort(y.begin(), y.end());
    std::sort(u.begin(), u.end());
    out.seconds = s[s.size() / 2];
    out.synced = y[y.size() / 2];
    out.cpu = u[u.size() / 2];
    return out;
}

void clear_folder(const std::string& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directory(folder);
    ::sync();  // so that one run's write-back does not land in the next one's time
}

struct Row {
    std::string source, name, gnu_name;
    Summary ours, gnu;
    double cp_seconds = 0;
    bool checked = true;
};

class Bench {
public:
    explicit Bench(const BenchOptions& o) : o_(o), out_(o.work_dir + "/out") {}

    int run() {
        fs::create_directories(o_.work_dir);
        const std::vector<Case> cases = {
            {"LINES 100000", "100000", "", {"split", "-l", "100000"}, true},
            {"KB 10240", "", "10240", {"split", "-b", "10M"}, true},
            {"KB 1048576", "", "1048576", {"split", "-b", "1G"}, true},
            {"LINES 0", "0", "", {"cp"}, false},
        };
        bool all_ok = true;
        for (SourceKind kind : {SourceKind::LfLines, SourceKind::CrLfLines, SourceKind::LongLines})
            all_ok = bench_source(kind, cases) && all_ok;
        std::error_code ec;
        fs::remove_all(out_, ec);
        print_table();
        return all_ok ? 0 : 1;
    }

private:
    bool bench_source(SourceKind kind, const std::vector<Case>& cases) {
        const std::string source = o_.work_dir + "/source.txt";
        std::printf("== %s, %llu bytes\n", kind_name(kind), static_cast<unsigned long long>(o_.size));
        std::fflush(stdout);
        if (!generate_source(source, kind, o_.size)) {
            std::printf("cannot write %s\n", source.c_str());
            return false;
        }
        const std::optional<TextDigest> expected = digest_file(source);  // also brings it into the page cache
        bool ok = expected.has_value();

        Row cat{kind_name(kind), "cat > /dev/null", "", {}, {}, 0, true};
        cat.gnu = time_runs({"cat", source});
        Row cp{kind_name(kind), "cp", "", {}, {}, 0, true};
        cp.gnu = time_runs({"cp", source, out_ + "/copy"});
        rows_.push_back(cat);
        rows_.push_back(cp);
        report(cat);
        report(cp);

        for (const Case& c : cases) {
            Row row{kind_name(kind), c.name, c.gnu.front() + (c.gnu.size() > 1 ? " " + c.gnu[1] + " " + c.gnu[2] : ""),
                    {}, {}, cp.gnu.seconds, true};
            std::vector<Cost> ours, gnu;
            // Alternate the two so that a burst of load on the machine hits both alike.
            for (int r = 0; r < o_.runs; ++r) {
                clear_folder(out_);
                ours.push_back(measure({o_.self, "split", source, out_, c.lines, c.kb}));
                int pieces = 0;
                const bool same = expected && digest_pieces(out_, pieces) == *expected;
                if (!same) std::printf("   check FAILED: %s (%d pieces)\n", c.name, pieces);
                row.checked = row.checked && same;
                clear_folder(out_);
                std::vector<std::string> argv = c.gnu;
                argv.push_back(source);
                argv.push_back(c.gnu_is_split ? out_ + "/x" : out_ + "/copy");
                gnu.push_back(measure(argv));
            }
            clear_folder(out_);
            row.ours = summarise(ours);
            row.gnu = summarise(gnu);
            ok = ok && row.checked && row.ours.ok && row.gnu.ok;
            rows_.push_back(row);
            report(row);
        }
        fs::remove(source);
        return ok;
    }

    Summary time_runs(const std::vector<std::string>& argv) {
        std::vector<Cost> costs;
        for (int r = 0; r < o_.runs; ++r) {
            clear_folder(out_);
            costs.push_back(measure(argv));
        }
        clear_folder(out_);
        return summarise(costs);
    }

    static double mib(long kib) { return static_cast<double>(kib) / 1024.0; }

    double mbps(double seconds) const { return seconds > 0 ? static_cast<double>(o_.size) / 1e6 / seconds : 0; }

    void report(const Row& r) const {
        if (r.gnu_name.empty()) {
            std::printf("   %-16s %7.3f s %8.0f MB/s  +sync %7.3f s  cpu %6.3f s  peak %6.1f MiB\n", r.name.c_str(),
                        r.gnu.seconds, mbps(r.gnu.seconds), r.gnu.synced, r.gnu.cpu, mib(r.gnu.peak_rss_kib));
        } else {
            std::printf("   %-16s ours %6.3f s %5.0f MB/s +sync %6.3f s cpu %6.3f s peak %4.1f MiB | %-16s %6.3f s"
                        " +sync %6.3f s cpu %6.3f s peak %4.1f MiB | ours/GNU %.2f ours/cp %.2f check %s\n",
                        r.name.c_str(), r.ours.seconds, mbps(r.ours.seconds), r.ours.synced, r.ours.cpu,
                        mib(r.ours.peak_rss_kib), r.gnu_name.c_str(), r.gnu.seconds, r.gnu.synced, r.gnu.cpu,
                        mib(r.gnu.peak_rss_kib), r.ours.seconds / r.gnu.seconds, r.ours.seconds / r.cp_seconds,
                        r.checked ? "ok" : "FAILED");
        }
        std::fflush(stdout);
    }

    void print_table() const {
        std::printf("\nMedians of %d runs, %llu MiB per source, MB = 10^6 bytes.\n\n", o_.runs,
                    static_cast<unsigned long long>(o_.size >> 20));
        std::printf("| source | case | ours s | ours MB/s | ours +sync s | ours cpu s | ours peak MiB | GNU | GNU s "
                    "| GNU +sync s | GNU cpu s | GNU peak MiB | ours/GNU | ours/cp | check |\n");
        std::printf("|---|---|---:|---:|---:|---:|---:|---|---:|---:|---:|---:|---:|---:|---|\n");
        for (const Row& r : rows_) {
            if (r.gnu_name.empty()) {
                std::printf("| %s | %s | | | | | | %s | %.3f | %.3f | %.3f | %.1f | | | |\n", r.source.c_str(),
                            r.name.c_str(), r.name.c_str(), r.gnu.seconds, r.gnu.synced, r.gnu.cpu,
                            mib(r.gnu.peak_rss_kib));
                continue;
            }
            std::printf("| %s | %s | %.3f | %.0f | %.3f | %.3f | %.1f | %s | %.3f | %.3f | %.3f | %.1f | %.2f | %.2f "
                        "| %s |\n",
                        r.source.c_str(), r.name.c_str(), r.ours.seconds, mbps(r.ours.seconds), r.ours.synced,
                        r.ours.cpu, mib(r.ours.peak_rss_kib), r.gnu_name.c_str(), r.gnu.seconds, r.gnu.synced,
                        r.gnu.cpu, mib(r.gnu.peak_rss_kib), r.ours.seconds / r.gnu.seconds,
                        r.ours.seconds / r.cp_seconds, r.checked ? "ok" : "FAILED");
        }
    }

    const BenchOptions& o_;
    const std::string out_;
    std::vector<Row> rows_;
};

}  // namespace

int run_benchmark(const BenchOptions& options) { return Bench(options).run(); }

}  // namespace tavbench
