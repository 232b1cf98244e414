"""Pages per second of a batch of A4 300-dpi JPEG pages three ways: the
tool (`skewmend auto --jobs 2`), `levelora.batch` on a local cluster of two
worker processes, and `levelora.batch` on a cluster of a scheduler and two
workers started by hand on the loopback interface.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_batch.py \
        --bin-dir build/release/bin --work /tmp/levelora-bench --pages 200

The pages (text-like lines, each turned by its own angle from -6 to 6
degrees, JPEG quality 90) are generated once into WORK/in and reused.
Each way writes into a fresh output folder; the times are wall-clock
seconds of the whole command (for the local cluster that includes starting
and stopping it, which is also timed on its own). Prints a Markdown table.
"""

import argparse
import os
import pathlib
import shutil
import socket
import subprocess
import sys
import time

import numpy as np

import levelora

A4_300DPI = (3508, 2480)


def text_page(seed):
    """A white A4 page with lines of dark word-like boxes, a margin around."""
    rng = np.random.default_rng(seed)
    rows, cols = A4_300DPI
    page = np.full((rows, cols), 250, np.uint8)
    for top in range(300, rows - 300, 70):
        x = 250
        while x < cols - 400:
            width = int(rng.integers(40, 260))
            page[top:top + 32, x:x + width] = 30
            x += width + int(rng.integers(25, 40))
    return np.repeat(page[:, :, None], 3, axis=2)


def make_pages(folder, count):
    folder.mkdir(parents=True, exist_ok=True)
    names = [folder / f"page-{i:04d}.jpg" for i in range(count)]
    bases = [text_page(seed) for seed in range(4)]
    for i, name in enumerate(names):
        if not name.exists():
            angle = ((i * 37) % 121 - 60) / 10.0
            levelora.write(name, levelora.rotate(bases[i % 4], angle, canvas="keep"))
    return names


def timed(args, env=None):
    start = time.monotonic()
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, env=env)
    return time.monotonic() - start


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def loopback_cluster(workers):
    """A scheduler and `workers` single-thread workers (with nannies)."""
    port = free_port()
    address = f"tcp://127.0.0.1:{port}"
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    processes = [subprocess.Popen([sys.executable, "-m", "distributed.cli.dask_scheduler",
                                   "--host", "127.0.0.1", "--port", str(port),
                                   "--no-dashboard"], **quiet)]
    processes += [subprocess.Popen([sys.executable, "-m", "distributed.cli.dask_worker", address,
                                    "--nthreads", "1", "--host", "127.0.0.1", "--no-dashboard"],
                                   **quiet) for _ in range(workers)]
    from distributed import Client

    with Client(address, timeout="60s") as client:
        client.wait_for_workers(workers, timeout=60)
    return address, processes


def cluster_start_stop(workers):
    """Seconds to start and stop a local cluster, in a fresh interpreter."""
    code = ("import time; t = time.monotonic()\n"
            "from distributed import Client, LocalCluster\n"
            f"c = LocalCluster(n_workers={workers}, threads_per_worker=1, dashboard_address=None)\n"
            "Client(c).close(); c.close(); print(time.monotonic() - t)")
    return float(subprocess.run([sys.executable, "-c", code], check=True, capture_output=True,
                                text=True).stdout.split()[-1])


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--bin-dir", required=True)
    p.add_argument("--work", default="/tmp/levelora-bench")
    p.add_argument("--pages", type=int, default=200)
    p.add_argument("--workers", type=int, default=2)
    ns = p.parse_args()
    work = pathlib.Path(ns.work)
    inputs = make_pages(work / "in", ns.pages)
    folder = work / "in-run"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir()
    for name in inputs:
        os.link(name, folder / name.name)

    def out(label):
        path = work / f"out-{label}"
        shutil.rmtree(path, ignore_errors=True)
        return str(path)

    skewmend = str(pathlib.Path(ns.bin_dir) / "skewmend")
    batch = [sys.executable, "-m", "levelora.batch", "--no-progress"]
    rows = [("`skewmend auto --jobs 2`",
             timed([skewmend, "auto", "--jobs", str(ns.workers), "--no-progress", "--out-dir",
                    out("tool"), str(folder)]))]
    rows.append(("`levelora.batch --workers 2` (local cluster, start and stop included)",
                 timed([*batch, "--workers", str(ns.workers), "--out-dir", out("local"),
                        str(folder)])))
    address, processes = loopback_cluster(ns.workers)
    try:
        rows.append(("`levelora.batch --scheduler` (loopback cluster, two workers)",
                     timed([*batch, "--scheduler", address, "--out-dir", out("loopback"),
                            str(folder)])))
    finally:
        for process in processes:
            process.terminate()
        for process in processes:
            process.wait(timeout=30)
    start_stop = cluster_start_stop(ns.workers)

    print(f"{ns.pages} pages, A4 300 dpi JPEG, {os.cpu_count()} cores\n")
    print("| Run | Seconds | Pages/s | Against the tool |")
    print("|---|---|---|---|")
    for label, seconds in rows:
        print(f"| {label} | {seconds:.1f} | {ns.pages / seconds:.2f} | "
              f"{100 * (seconds / rows[0][1] - 1):+.0f} % |")
    print(f"\nStarting and stopping a local cluster of {ns.workers} workers alone: "
          f"{start_stop:.1f} s")


if __name__ == "__main__":
    main()
