#!/usr/bin/python3
"""Figures of bench/wan/run.sh, from its results and the servers' command logs.

  report.py WORK-FOLDER BIG-MIB

WORK-FOLDER/results holds one line per job: "rtt pair job items seconds
first-log-line last-log-line", pair being "<client>-<plain|tls>"; each pair's
server logged its commands, with arrival times, to WORK-FOLDER/<pair>.log.

The logon (the commands before the first one that serves the job: AUTH, USER,
PASS, PBSZ, PROT, FEAT, OPTS, TYPE, PWD...) and QUIT are the session's; the
rest are the job's. The job's time runs from the server's receipt of its
first command to its receipt of QUIT, so it leaves out connecting, the logon
and the closing, which each client pays once. Round trips per item are that
time over the items and the round-trip time; the ratios compare those times.
A job run more than once counts by its median time.
"""

import collections
import os
import sys

CLIENTS = ("engine", "curl", "lftp")
MODES = ("plain", "tls")
JOBS = ("download", "upload", "list", "walk", "big-download", "big-upload")
# The engine's goal on a slow link: at most 0.9 times either client's time.
TARGETS = {("download", "plain"), ("download", "tls"), ("upload", "plain"),
           ("upload", "tls"), ("list", "tls")}
SESSION_COMMANDS = {"AUTH", "USER", "PASS", "PBSZ", "PROT", "FEAT", "OPTS",
                    "TYPE", "PWD", "SYST", "CLNT"}


def job_label(job, items, big_mib):
    return {
        "download": "small-file download",
        "upload": "small-file upload",
        "list": "1,000-entry listing",
        "walk": "walk of %d folders" % items,
        "big-download": "%d MiB download" % big_mib,
        "big-upload": "%d MiB upload" % big_mib,
    }[job]


def commands(work, pair, first, last):
    with open(os.path.join(work, pair + ".log"), encoding="utf-8", errors="replace") as log:
        lines = log.read().splitlines()[first:last]
    result = []
    for line in lines:
        stamp, _, command = line.partition(" ")
        if command.startswith("DATA TLS"):
            continue  # the server's note on a data connection, not a command
        result.append((float(stamp), command.split(" ")[0].upper()))
    return result


class Job:
    def __init__(self, work, fields):
        self.rtt = float(fields[0])
        self.pair = fields[1]
        self.client, self.mode = self.pair.rsplit("-", 1)
        self.job = fields[2]
        self.items = int(fields[3])
        self.whole = float(fields[4])
        sent = commands(work, self.pair, int(fields[5]), int(fields[6]))
        at = 0
        while at < len(sent) and sent[at][1] in SESSION_COMMANDS:
            at += 1
        end = len(sent)
        if end > at and sent[end - 1][1] == "QUIT":
            end -= 1
        self.own = sent[at:end]
        stop = sent[end][0] if end < len(sent) else (sent[-1][0] if sent else 0)
        self.seconds = stop - self.own[0][0] if self.own else 0.0
        self.verbs = collections.Counter(verb for _, verb in self.own)

    def round_trips(self):
        return self.seconds / self.items / (self.rtt / 1000.0)

    def commands_per_item(self):
        return len(self.own) / self.items

    def verb_summary(self):
        words = []
        for verb, count in sorted(self.verbs.items(), key=lambda kv: -kv[1]):
            share = count / self.items
            words.append(verb if abs(share - 1) < 1e-9 else "%s x%.3g" % (verb, share))
        return " ".join(words)


def main():
    work, big_mib = sys.argv[1], int(sys.argv[2])
    runs = collections.defaultdict(list)
    with open(os.path.join(work, "results")) as results:
        for line in results:
            if line.strip():
                job = Job(work, line.split())
                runs[(job.rtt, job.job, job.mode, job.client)].append(job)
    jobs = {key: sorted(found, key=lambda job: job.seconds)[len(found) // 2]
            for key, found in runs.items()}
    rtts = sorted({key[0] for key in jobs})
    problems = []
    for job in jobs.values():
        if "PASV" in job.verbs or "PORT" in job.verbs:
            problems.append("%s %s at %g ms asked PASV or PORT: its data bypassed the link"
                            % (job.pair, job.job, job.rtt))

    for rtt in rtts:
        print()
        print("Round trip %g ms (%g ms each way). Job time: from the server's receipt of the job's"
              % (rtt, rtt / 2))
        print("first command to QUIT; whole: the client process, connecting and logon included.")
        print("%-22s %-5s %-6s %8s %8s %8s %7s  %s" % ("job", "mode", "client", "whole s", "job s",
                                                      "cmds/it", "RTs/it", "commands per item"))
        for name in JOBS:
            for mode in MODES:
                for client in CLIENTS:
                    job = jobs.get((rtt, name, mode, client))
                    if job is None:
                        continue
                    extra = ""
                    if name.startswith("big") and job.seconds > 0:
                        extra = "  (%.1f MiB/s)" % (big_mib / job.seconds)
                    print("%-22s %-5s %-6s %8.2f %8.2f %8.2f %7.2f  %s%s" % (
                        job_label(name, job.items, big_mib), mode, client, job.whole, job.seconds,
                        job.commands_per_item(), job.round_trips(), job.verb_summary(), extra))
        print()
        for name in JOBS:
            for mode in MODES:
                engine = jobs.get((rtt, name, mode, "engine"))
                for other in CLIENTS[1:]:
                    theirs = jobs.get((rtt, name, mode, other))
                    if engine is None or theirs is None or theirs.seconds <= 0:
                        continue
                    print("ratio engine/%s %s at %g ms (%s): %.2f%s" % (
                        other, job_label(name, engine.items, big_mib), rtt,
                        "TLS" if mode == "tls" else "plain", engine.seconds / theirs.seconds,
                        " (target <= 0.90)" if (name, mode) in TARGETS else ""))
    for problem in problems:
        print("warning:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
