#!/usr/bin/python3
"""Figures of bench/sftp_wan/run.sh, from its results and the servers' request logs.

  report.py WORK-FOLDER

WORK-FOLDER/results holds one line per job: "rtt client job items
first-log-line last-log-line"; each client's sftp-server logged every request
it took, stamped with its arrival time, to WORK-FOLDER/<client>.log.

The logon's requests (the version, REALPATH and extensions asked before the
first one that serves the job) are the session's; the rest are the job's.
The job's time runs from the server's receipt of its first request to the
end of the session, which each client reaches by closing the channel. Round
trips per item are that time over the items and the round-trip time. A job
run more than once counts by its median time.
"""

import collections
import os
import re
import sys

# "window" is the engine behind the Data Transfer window (downloads and
# uploads only): ours too, so never one of the others it is measured against.
CLIENTS = ("engine", "sftp", "curl", "lftp", "window")
PEERS = ("sftp", "curl", "lftp")
JOBS = ("download", "upload", "list", "walk")
LABELS = {"download": "4 KiB download", "upload": "4 KiB upload",
          "list": "1,000-entry listing", "walk": "folder in a walk"}
# The engine's goal: at most this times the best of the others, per item.
TARGET = 0.80
SESSION_REQUESTS = {"realpath", "limits", "extended"}
REQUEST = re.compile(r"request \d+: (\w+)")


def log_lines(work, client, first, last):
    with open(os.path.join(work, client + ".log"), encoding="utf-8", errors="replace") as log:
        return log.read().splitlines()[first:last]


class Job:
    def __init__(self, work, fields):
        self.rtt = float(fields[0])
        self.client = fields[1]
        self.job = fields[2]
        self.items = int(fields[3])
        requests = []
        closed = None
        for line in log_lines(work, self.client, int(fields[4]), int(fields[5])):
            stamp, _, text = line.partition(" ")
            found = REQUEST.search(text)
            # "request 7: sent status ..." is the answer, not a request.
            if found and found.group(1) != "sent":
                requests.append((float(stamp), found.group(1).lower()))
            elif "session closed" in text:
                closed = float(stamp)
        at = 0
        while at < len(requests) and requests[at][1] in SESSION_REQUESTS:
            at += 1
        self.own = requests[at:]
        end = closed if closed is not None else (requests[-1][0] if requests else 0)
        self.seconds = end - self.own[0][0] if self.own else 0.0
        self.verbs = collections.Counter(verb for _, verb in self.own)

    def per_item_ms(self):
        return self.seconds / self.items * 1000

    def round_trips(self):
        return self.seconds / self.items / (self.rtt / 1000.0) if self.rtt > 0 else float("nan")

    def requests_per_item(self):
        return len(self.own) / self.items

    def verb_summary(self):
        words = []
        for verb, count in sorted(self.verbs.items(), key=lambda kv: -kv[1]):
            share = count / self.items
            words.append(verb.upper() if abs(share - 1) < 1e-9 else "%s x%.3g" % (verb.upper(), share))
        return " ".join(words)


def main():
    work = sys.argv[1]
    runs = collections.defaultdict(list)
    with open(os.path.join(work, "results")) as results:
        for line in results:
            if line.strip():
                job = Job(work, line.split())
                runs[(job.rtt, job.job, job.client)].append(job)
    jobs = {key: sorted(found, key=lambda job: job.seconds)[len(found) // 2] for key, found in runs.items()}
    rtts = sorted({key[0] for key in jobs})

    for rtt in rtts:
        print()
        print("Round trip %g ms. Time per item: the job's time (first request after the logon to the"
              % rtt)
        print("end of the session, from the server's log) over its items.")
        print("%-20s %-7s %9s %8s %7s  %s" % ("work", "client", "ms/item", "reqs/it", "RTs/it",
                                            "requests per item"))
        for name in JOBS:
            for client in CLIENTS:
                job = jobs.get((rtt, name, client))
                if job is None:
                    continue
                print("%-20s %-7s %9.1f %8.2f %7.2f  %s" % (
                    LABELS[name], client, job.per_item_ms(), job.requests_per_item(), job.round_trips(),
                    job.verb_summary()))
    print()
    print("%-20s %6s %9s %9s %9s %9s %9s %9s %9s" % ("work", "RTT ms", "engine", "sftp", "curl", "lftp",
                                                     "window", "ratio", "win/eng"))
    lines = []
    for rtt in rtts:
        for name in JOBS:
            times = {client: jobs[(rtt, name, client)].per_item_ms()
                     for client in CLIENTS if (rtt, name, client) in jobs}
            cells = ["%9.1f" % times[c] if c in times else "%9s" % "-" for c in CLIENTS]
            others = [times[c] for c in PEERS if c in times and times[c] > 0]
            ratio = times["engine"] / min(others) if "engine" in times and others else float("nan")
            window = times["window"] / times["engine"] if "window" in times and times.get("engine") else float("nan")
            print("%-20s %6g %s %9.2f %9.2f" % (LABELS[name], rtt, " ".join(cells), ratio, window))
            lines.append("ratio engine/best %s at %g ms: %.2f (target <= %.2f)" % (LABELS[name], rtt, ratio, TARGET))
    print()
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
