#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: pole_display
short_description: Put one start-up configuration into the pole displays of a host
version_added: "3.2.0"
description:
  - Runs C(vfdctl) on the managed host to bring the pole displays on its serial ports to one
    configuration, given as a 126-byte C(.vfd) file or as the fields of C(vfdctl export) inline.
  - Each display is read first and written only when it holds something else, so a second run
    writes nothing and spares the display's memory, which takes only so many writes.
  - In check mode the displays are read and compared, never written.
  - In diff mode the fields that differ are shown, the display's value before and the
    configuration's value after.
  - A display that fails fails the task, with the meaning of C(vfdctl)'s exit status
    (C(no_answer), C(check_refused), C(bad_reply), C(verify_mismatch), C(line_lost), ...) and
    its message. The other displays of the host are still written.
options:
  port:
    description:
      - The serial port of a display, or a list of them, as C(vfdctl --port) takes them
        (C(/dev/ttyUSB0), C(Com 1) to C(Com 8)).
      - Several ports are worked on at once.
    type: list
    elements: str
    required: true
  src:
    description:
      - A C(.vfd) settings file on the managed host.
      - A file the window's Load would refuse fails the task before any port is opened.
    type: path
  config:
    description:
      - The configuration as the fields of C(vfdctl export), for instance
        C("{{ lookup('file', 'shop.json') | from_json }}").
      - Taken as C(vfdctl import) takes a JSON file; a field it refuses fails the task, naming
        the field, before any port is opened.
    type: dict
  baud:
    description:
      - The line speed, C(9600), C(19200), or C(auto) (9600, then 19200).
    type: raw
    default: "9600"
  force:
    description:
      - Write even when a display already holds the configuration.
    type: bool
    default: false
  verify:
    description:
      - Read each display back after writing it and compare.
    type: bool
    default: true
  backup:
    description:
      - Before writing a display that holds another configuration, read it into a C(.vfd)
        file in I(backup_dir), named after the port and the time.
      - A display whose backup cannot be taken is not written.
    type: bool
    default: false
  backup_dir:
    description:
      - The folder for the files of I(backup), made when missing.
    type: path
    default: ~/pole-display-backups
  vfdctl:
    description:
      - The C(vfdctl) program, when it is not on the C(PATH).
    type: path
    default: vfdctl
requirements:
  - C(vfdctl) 3.2 or later (with C(--json)) on the managed host
notes:
  - Runs on POSIX hosts. For Windows shop computers see the collection's README.
  - Supports check mode and diff mode.
author:
  - Pole Display Setup developers
"""

EXAMPLES = r"""
- name: Put the shop's configuration into its pole display
  pds.vfd.pole_display:
    port: /dev/ttyUSB0
    src: /etc/pole-display/shop.vfd

- name: Two displays, from fields kept in the inventory, with a backup of what they held
  pds.vfd.pole_display:
    port:
      - /dev/ttyUSB0
      - /dev/ttyUSB1
    config: "{{ lookup('file', 'shop.json') | from_json }}"
    baud: auto
    backup: true

- name: Write even an unchanged display, without reading it back
  pds.vfd.pole_display:
    port: Com 1
    src: /etc/pole-display/shop.vfd
    force: true
    verify: false
"""

RETURN = r"""
ports:
  description: One entry per port, in the order given.
  returned: always
  type: list
  elements: dict
  contains:
    port:
      description: The port as given.
      type: str
      sample: /dev/ttyUSB0
    outcome:
      description:
        - C(written), C(unchanged) (it held the configuration already), C(failed); in check
          mode C(would_write) instead of C(written); C(interrupted) when vfdctl was stopped
          while it worked on the display.
      type: str
      sample: written
    changed:
      description:
        - Whether the display was (or in check mode would be) written.
        - Also when a write that failed or was stopped may have reached it, such as one whose
          configuration had begun to go out.
      type: bool
    status:
      description: The exit status of C(vfdctl) for this port.
      type: int
      sample: 0
    meaning:
      description: The status as a word, C(ok), C(no_answer), C(check_refused), ...
      type: str
      sample: ok
    message:
      description: What C(vfdctl) said about this port.
      type: str
    speed:
      description: The bit/s the display answered at.
      type: int
      returned: when the display answered
      sample: 9600
    differences:
      description: The fields in which the display differed from the configuration.
      type: list
      elements: dict
      returned: when the display was read before writing
      sample: [{"field": "welcome_line1", "before": "\"OLD\"", "after": "\"NEW\""}]
    backup_file:
      description: The file that holds what the display held before.
      type: str
      returned: when I(backup) was set and the display held another configuration
status:
  description: The exit status of the first port that failed, or 0.
  returned: always
  type: int
meaning:
  description: That status as a word.
  returned: always
  type: str
  sample: ok
backup_files:
  description: The backup files made, one per display that held another configuration.
  returned: when I(backup) was set
  type: list
  elements: str
"""

import json
import os
import re
import shutil
import time

from ansible.module_utils.basic import AnsibleModule

SPEEDS = ("9600", "19200", "auto")


class Vfdctl(object):
    """Runs vfdctl with --json and hands back its result document."""

    def __init__(self, module, program, baud):
        self.module = module
        self.program = program
        self.baud = baud
        # vfdctl's exit statuses by meaning, as its documents list them.
        self.statuses = {}

    def run(self, command, arguments, on_ports=False):
        line = [self.program, command, "--json"] + arguments
        if on_ports:
            line += ["--baud", self.baud]
        rc, out, err = self.module.run_command(line)
        try:
            document = json.loads(out)
        except ValueError:
            document = None
        if not isinstance(document, dict) or "status" not in document:
            self.module.fail_json(
                msg="%s %s printed no result document; is it a vfdctl with --json?"
                % (self.program, command),
                # A write that ended without a word may have reached any of its displays.
                changed=command == "write",
                rc=rc,
                stdout=out,
                stderr=err,
                cmd=line,
            )
        for row in document.get("exit_statuses") or []:
            self.statuses.setdefault(row.get("meaning"), row)
        return document

    def explanation(self, meaning):
        """What vfdctl says a meaning stands for."""
        return self.statuses.get(meaning, {}).get("explanation", "unknown status")

    def status(self, meaning):
        """The exit status vfdctl gives for a meaning."""
        return self.statuses[meaning]["status"]


def port_arguments(ports, outputs=None):
    arguments = []
    for i, port in enumerate(ports):
        arguments += ["--port", port]
        if outputs is not None:
            arguments += ["-o", outputs[i]]
    return arguments


def failure_text(vfdctl, entry):
    meaning = entry.get("meaning", "")
    message = entry.get("message", "")
    prefix = entry["port"] + ": "
    if message.startswith(prefix):
        message = message[len(prefix):]
    # The lines under the message, such as the fields a failed verify read back otherwise.
    details = entry.get("details") or []
    return "%s: %s (status %s, %s): %s%s" % (
        entry["port"],
        meaning,
        entry.get("status"),
        vfdctl.explanation(meaning),
        message,
        "".join(" " + line.strip() for line in details),
    )


def fail_whole(module, vfdctl, document, **extra):
    """A failure of the command as a whole, before any port was worked on."""
    meaning = document.get("meaning", "")
    module.fail_json(
        msg="%s (status %s, %s)"
        % (document.get("message", ""), document.get("status"), vfdctl.explanation(meaning)),
        status=document.get("status"),
        meaning=meaning,
        **extra
    )


def port_entries(document, ports):
    """The per-port results of a document, by port, with a failure for any port it lacks."""
    by_port = {}
    for entry in document.get("ports") or []:
        by_port[entry.get("port")] = entry
    entries = {}
    for port in ports:
        entry = by_port.get(port)
        if entry is None:
            entry = {
                "status": document.get("status"),
                "meaning": document.get("meaning"),
                "message": document.get("message"),
                "outcome": "failed",
            }
        entries[port] = dict(entry, port=port)
    return entries


def backup_name(folder, port):
    stem = re.sub(r"[^A-Za-z0-9.-]+", "_", port).strip("_") or "port"
    stamp = time.strftime("%Y%m%d-%H%M%S")
    path = os.path.join(folder, "%s_%s.vfd" % (stem, stamp))
    serial = 1
    while os.path.exists(path):
        serial += 1
        path = os.path.join(folder, "%s_%s_%d.vfd" % (stem, stamp, serial))
    return path


def field_lines(differences, side):
    return "".join("%s: %s\n" % (d["field"], d[side]) for d in differences)


def desired_file(module, vfdctl):
    """The configuration as a .vfd file, checked as the window's Load checks it."""
    if module.params["config"] is not None:
        source = os.path.join(module.tmpdir, "config.json")
        with open(source, "w") as handle:
            json.dump(module.params["config"], handle)
        path = os.path.join(module.tmpdir, "config.vfd")
        document = vfdctl.run("import", [source, "-o", path])
        if document["status"] != 0:
            fail_whole(module, vfdctl, document)
        return path, "config"
    path = module.params["src"]
    document = vfdctl.run("export", [path])
    if document["status"] != 0:
        fail_whole(module, vfdctl, document)
    return path, path


def read_and_compare(module, vfdctl, ports, desired, entries):
    """Reads every display and notes how it differs from `desired`; gives the files read."""
    held = [os.path.join(module.tmpdir, "held_%d.vfd" % i) for i in range(len(ports))]
    document = vfdctl.run("read", port_arguments(ports, held), on_ports=True)
    if document.get("meaning") == "bad_arguments" or not document.get("ports"):
        fail_whole(module, vfdctl, document)
    for port, entry in port_entries(document, ports).items():
        entry.pop("configuration", None)
        entry.pop("output", None)
        entries[port] = entry
    files = {}
    for port, path in zip(ports, held):
        entry = entries[port]
        if entry["status"] != 0:
            entry["outcome"] = "failed"
            continue
        comparison = vfdctl.run("diff", [path, desired])
        if comparison["status"] not in (0, 1):
            entry.update(
                outcome="failed",
                status=comparison["status"],
                meaning=comparison.get("meaning"),
                message=comparison.get("message"),
            )
            continue
        entry["differences"] = comparison.get("differences", [])
        files[port] = path
    return files


def take_backups(module, vfdctl, ports, held, entries, force):
    folder = module.params["backup_dir"]
    try:
        if not os.path.isdir(folder):
            os.makedirs(folder)
    except OSError as error:
        module.fail_json(msg="cannot make the backup folder %s: %s" % (folder, error))
    made = []
    for port in ports:
        entry = entries[port]
        if port not in held or not (entry["differences"] or force):
            continue
        path = backup_name(folder, port)
        try:
            shutil.copyfile(held[port], path)
        except (IOError, OSError) as error:
            entry.update(
                outcome="failed",
                status=vfdctl.status("bad_file"),
                meaning="bad_file",
                message="cannot keep the backup in %s: %s" % (path, error),
            )
            del held[port]
            continue
        entry["backup_file"] = path
        made.append(path)
    return made


def main():
    module = AnsibleModule(
        argument_spec=dict(
            port=dict(type="list", elements="str", required=True),
            src=dict(type="path"),
            config=dict(type="dict"),
            baud=dict(type="raw", default="9600"),
            force=dict(type="bool", default=False),
            verify=dict(type="bool", default=True),
            backup=dict(type="bool", default=False),
            backup_dir=dict(type="path", default="~/pole-display-backups"),
            vfdctl=dict(type="path", default="vfdctl"),
        ),
        mutually_exclusive=[("src", "config")],
        required_one_of=[("src", "config")],
        supports_check_mode=True,
    )
    params = module.params
    ports = params["port"]
    if not ports:
        module.fail_json(msg="port names no display")
    baud = str(params["baud"])
    if baud not in SPEEDS:
        module.fail_json(msg="baud takes 9600, 19200 or auto, not %s" % baud)
    program = params["vfdctl"]
    if os.sep not in program:
        program = module.get_bin_path(program, required=True)
    vfdctl = Vfdctl(module, program, baud)
    force = params["force"]

    desired, desired_name = desired_file(module, vfdctl)

    entries = {}
    held = {}
    backup_files = []
    # A read before the write only where the write's own comparison will not do: check mode
    # must not write, a backup must exist before the write, and a forced write compares nothing.
    if module.check_mode or params["backup"] or (force and module._diff):
        held = read_and_compare(module, vfdctl, ports, desired, entries)
        if params["backup"] and not module.check_mode:
            backup_files = take_backups(module, vfdctl, ports, held, entries, force)

    for port in held:
        entry = entries[port]
        entry["changed"] = bool(entry["differences"]) or force
        if not entry["changed"]:
            entry.update(outcome="unchanged", message="holds the configuration; nothing written")
        elif module.check_mode:
            count = len(entry["differences"])
            entry.update(outcome="would_write",
                         message="differs in %d fields; would be written" % count)
    if not module.check_mode:
        if entries:
            to_write = [p for p in ports if p in held and entries[p]["changed"]]
        else:
            to_write = list(ports)
        if to_write:
            arguments = [desired] + port_arguments(to_write)
            if force:
                arguments.append("--force")
            if not params["verify"]:
                arguments.append("--no-verify")
            document = vfdctl.run("write", arguments, on_ports=True)
            if document.get("meaning") == "bad_arguments" or not document.get("ports"):
                fail_whole(module, vfdctl, document)
            stopped = document.get("meaning") == "interrupted"
            for port, entry in port_entries(document, to_write).items():
                # A stopped write that does not say how far a port got may have reached it.
                if stopped and "changed" not in entry:
                    entry["changed"] = True
                if "differences" in entries.get(port, {}) and "differences" not in entry:
                    entry["differences"] = entries[port]["differences"]
                if "backup_file" in entries.get(port, {}):
                    entry["backup_file"] = entries[port]["backup_file"]
                entry["changed"] = bool(entry.get("changed"))
                entries[port] = entry

    results = [entries[p] for p in ports]
    for entry in results:
        entry.setdefault("changed", False)
    changed = any(entry["changed"] for entry in results)
    failed = [entry for entry in results if entry.get("status") != 0]

    result = dict(
        changed=changed,
        ports=results,
        status=failed[0]["status"] if failed else 0,
        meaning=failed[0].get("meaning") if failed else "ok",
    )
    if params["backup"]:
        result["backup_files"] = backup_files
    if module._diff:
        result["diff"] = [
            dict(
                before_header="%s (display)" % entry["port"],
                after_header=desired_name,
                before=field_lines(entry["differences"], "before"),
                after=field_lines(entry["differences"], "after"),
            )
            for entry in results
            if entry["changed"] and entry.get("differences")
        ]

    if failed:
        module.fail_json(msg="; ".join(failure_text(vfdctl, e) for e in failed), **result)

    written = sum(1 for e in results if e["changed"])
    verb = "would write" if module.check_mode else "wrote"
    result["msg"] = "%s %d of %d displays; %d held the configuration already" % (
        verb,
        written,
        len(results),
        len(results) - written,
    )
    module.exit_json(**result)


if __name__ == "__main__":
    main()
