"""Straighten batches of page files on a Dask cluster.

    python3 -m levelora.batch INPUT... --out-dir DIR [options]

Each input file is one task. The task runs the skewmend tool's own page job
(the `auto` command: load, decide, turn, write atomically) in a worker
process, and the client writes the tool's report from the results, in input
order, as they arrive. An output that exists already is skipped, as the tool
skips it, so an interrupted batch resumes where it stopped (--force replaces
outputs). A page whose task ends its worker process again and again is
reported failed and the batch goes on.

Without --scheduler a local cluster of --workers processes (one per core by
default) runs the batch; with --scheduler tcp://HOST:PORT the workers of that
cluster do, and every worker must see the inputs and DIR under the same
paths as the client.

Exit status: 0 when every page succeeded, 1 when some failed, 2 for a usage
error.
"""

import argparse
import os
import sys
import uuid

from levelora import _levelora

# Tasks in flight at once per worker thread: enough to keep every worker
# busy while results travel, few enough that the client holds little.
_IN_FLIGHT_PER_THREAD = 4


def _page_job(args, task):
    """The tool's task on one file (its pages' results), run on a worker."""
    return _levelora._run_task(args, task)


def _parser():
    p = argparse.ArgumentParser(
        prog="python3 -m levelora.batch",
        description="Straighten page files (BMP, JPEG, PNG, TIFF) on a Dask cluster, "
        "with the skewmend tool's page job and report.",
    )
    p.add_argument("inputs", nargs="+", metavar="INPUT", help="files and folders")
    p.add_argument("--out-dir", required=True, metavar="DIR",
                   help="outputs keep the inputs' names below DIR")
    p.add_argument("-r", "--recursive", action="store_true", help="descend into subfolders")
    p.add_argument("-f", "--force", action="store_true", help="replace existing outputs")
    p.add_argument("--corner", help="white (default), black or paper")
    p.add_argument("--canvas", help="expand (default) or keep")
    p.add_argument("--whole-degrees", action="store_true",
                   help="whole-degree estimate and small-tilt rule instead of precise mode")
    p.add_argument("--min-confidence", metavar="C", help="precise mode: 0 to 1 (0.5)")
    p.add_argument("--min-angle", metavar="DEG", help="precise mode: degrees (0.05)")
    p.add_argument("--report", metavar="FILE", help="also write the report to FILE (.csv, .json)")
    p.add_argument("--format", help="report on standard output: text (default), json or csv")
    p.add_argument("--no-progress", action="store_true", help="no progress bar")
    p.add_argument("--scheduler", metavar="tcp://HOST:PORT",
                   help="run on this cluster instead of a local one")
    p.add_argument("--workers", type=int, metavar="N",
                   help="local cluster: worker processes (one per core)")
    return p


def tool_arguments(ns):
    """The skewmend `auto` command line the options stand for."""
    args = ["auto", "--out-dir", ns.out_dir]
    for flag, given in (("--recursive", ns.recursive), ("--force", ns.force),
                        ("--whole-degrees", ns.whole_degrees),
                        ("--no-progress", ns.no_progress)):
        if given:
            args.append(flag)
    for flag, value in (("--corner", ns.corner), ("--canvas", ns.canvas),
                        ("--min-confidence", ns.min_confidence),
                        ("--min-angle", ns.min_angle), ("--report", ns.report),
                        ("--format", ns.format)):
        if value is not None:
            args.append(f"{flag}={value}")
    # Inputs after "--", so that no file name is taken for an option.
    return [*args, "--", *ns.inputs]


def _connect(ns):
    """A client of the cluster asked for, and the local cluster to close."""
    from distributed import Client, LocalCluster

    if ns.scheduler:
        return Client(ns.scheduler, timeout="30s"), None
    import dask

    # A page that ends its worker is given to a fresh worker this many
    # times more before it is reported failed.
    dask.config.set({"distributed.scheduler.allowed-failures": 2})
    cluster = LocalCluster(n_workers=ns.workers or os.cpu_count() or 1,
                           threads_per_worker=1, processes=True,
                           dashboard_address=None)
    return Client(cluster), cluster


def _failure_reason(error):
    from distributed.scheduler import KilledWorker

    if isinstance(error, KilledWorker):
        return "the worker process handling this page ended unexpectedly, every time it was tried"
    return f"the page's task failed on the cluster: {error!r}"


def _run_on_cluster(ns, args, tasks, indices, finished):
    """Runs the tasks `indices` on the cluster; hands each page's outcome,
    (True, serialised result) or (False, reason), to `finished` as it
    arrives."""
    from distributed import as_completed

    client, cluster = _connect(ns)
    try:
        threads = max(1, sum(client.nthreads().values()))
        run_id = uuid.uuid4().hex
        index_of = {}
        pending = iter(indices)

        def submit():
            i = next(pending, None)
            if i is None:
                return None
            future = client.submit(_page_job, args, tasks[i], key=f"levelora-page-{run_id}-{i}",
                                   pure=False)
            index_of[future.key] = i
            return future

        first = (submit() for _ in range(_IN_FLIGHT_PER_THREAD * threads))
        flow = as_completed([f for f in first if f is not None])
        for future in flow:
            i = index_of.pop(future.key)
            try:
                outcome = (True, future.result())
            except Exception as error:  # every page is reported, whatever its task raised
                outcome = (False, _failure_reason(error))
            future.release()
            finished(i, outcome)
            following = submit()
            if following is not None:
                flow.add(following)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()


def run(ns):
    """Runs the batch; returns the exit status."""
    args = tool_arguments(ns)
    if "-" in ns.inputs:
        print("levelora.batch: standard input ('-') cannot be read on a cluster", file=sys.stderr)
        return 2
    try:
        batch = _levelora._Batch(args)
    except ValueError as e:
        print(f"levelora.batch: {e}", file=sys.stderr)
        return 2
    tasks = batch.tasks()
    batch.begin()
    results = {}
    delivered = 0
    done = 0

    def finished(index, outcome):
        nonlocal delivered, done
        results[index] = outcome
        done += 1
        batch.progress(done)
        while delivered in results:
            ok, value = results.pop(delivered)
            if ok:
                batch.deliver(delivered, value)
            else:
                batch.deliver_failure(delivered, value)
            delivered += 1

    # Refused and skipped pages need no worker: the tool's job reports them
    # without reading anything.
    remote = []
    for i, task in enumerate(tasks):
        if task[4] or task[5]:
            finished(i, (True, _levelora._run_task(args, task)))
        else:
            remote.append(i)
    if remote:
        try:
            _run_on_cluster(ns, args, tasks, remote, finished)
        except Exception as error:  # the report stays complete: the rest fail with the reason
            reason = f"the cluster could not run this page: {error}"
            for i in remote:
                if i >= delivered and i not in results:
                    finished(i, (False, reason))
    return batch.finish()


def main(argv=None):
    os.environ.setdefault("DASK_LOGGING__DISTRIBUTED", "warning")
    return run(_parser().parse_args(argv))


if __name__ == "__main__":
    from levelora.batch import main as _main

    sys.exit(_main())
