#!/usr/bin/python3
"""The pole_display module under ansible-playbook, against virtual displays on pseudo-terminals.

Usage: test_pole_display.py BUILD_DIR [unittest arguments]
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
COLLECTIONS = os.path.join(HERE, "..", "..", "contrib", "ansible")
BUILD = None  # set from the command line
STORED = "Stored a new configuration"
# Generous: the machine may be loaded, and a silent display is only given up after a while.
START_LIMIT_S = 60
PLAYBOOK_LIMIT_S = 600


class Display:
    """A virtual display with its memory in a file and its console in a log."""

    def __init__(self, folder, name, held=None, flags=()):
        self.memory = os.path.join(folder, name + ".mem")
        self.log = os.path.join(folder, name + ".log")
        if held is not None:
            shutil.copyfile(held, self.memory)
        with open(self.log, "w") as console:
            self.process = subprocess.Popen(
                [os.path.join(BUILD, "tools", "virtual_display", "virtual_display"),
                 "--memory", self.memory] + list(flags),
                stdout=console, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.port = self._device()

    def _device(self):
        prefix = "Virtual pole display on "
        deadline = time.monotonic() + START_LIMIT_S
        while time.monotonic() < deadline:
            for line in self.console().splitlines():
                if line.startswith(prefix):
                    return line[len(prefix):].strip()
            if self.process.poll() is not None:
                raise RuntimeError("the virtual display ended: " + self.console())
            time.sleep(0.02)
        raise RuntimeError("the virtual display named no device")

    def console(self):
        with open(self.log) as console:
            return console.read()

    def stores(self):
        return self.console().count(STORED)

    def requests(self):
        """How many exchanges the host began with the display."""
        return self.console().count("request")

    def holds(self):
        with open(self.memory, "rb") as memory:
            return memory.read()

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class PlaybookTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.vfdctl = os.path.join(BUILD, "tools", "vfdctl", "vfdctl")
        cls.fixtures = tempfile.mkdtemp(prefix="pole_display_files_")
        for name in ("shop", "old"):
            subprocess.run([cls.vfdctl, "import", os.path.join(HERE, "files", name + ".json"),
                            "-o", os.path.join(cls.fixtures, name + ".vfd"), "-q"], check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.fixtures)

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="pole_display_test_")
        self.displays = []

    def tearDown(self):
        for display in self.displays:
            display.stop()
        shutil.rmtree(self.folder)

    def fixture(self, name):
        return os.path.join(self.fixtures, name + ".vfd")

    def image(self, name):
        with open(self.fixture(name), "rb") as image:
            return image.read()

    def display(self, held="old", flags=()):
        display = Display(self.folder, "display%d" % len(self.displays),
                          self.fixture(held) if held else None, flags)
        self.displays.append(display)
        return display

    def playbook(self, displays, *options, **variables):
        """Runs the test playbook; gives its exit status, its output, and the task's result."""
        tree = tempfile.mkdtemp(dir=self.folder)
        if "display_config" not in variables:
            variables.setdefault("display_src", self.fixture("shop"))
        variables.setdefault("vfdctl", self.vfdctl)
        variables.update(display_ports=[d.port for d in displays])
        inventory = os.path.join(self.folder, "inventory.ini")
        with open(inventory, "w") as hosts:
            hosts.write("[shops]\nlocalhost ansible_connection=local "
                        "ansible_python_interpreter=/usr/bin/python3\n")
        environment = dict(
            os.environ,
            ANSIBLE_COLLECTIONS_PATH=COLLECTIONS,
            ANSIBLE_LOCAL_TEMP=os.path.join(self.folder, "ansible-local"),
            ANSIBLE_REMOTE_TEMP=os.path.join(self.folder, "ansible-remote"),
            ANSIBLE_NOCOLOR="1",
            ANSIBLE_RETRY_FILES_ENABLED="0",
            ANSIBLE_CALLBACKS_ENABLED="ansible.builtin.tree",
            ANSIBLE_CALLBACK_TREE_DIR=tree,
        )
        run = subprocess.run(
            ["ansible-playbook", "-i", inventory, os.path.join(HERE, "rollout.yml"),
             "-e", json.dumps(variables)] + list(options),
            env=environment, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
            stdin=subprocess.DEVNULL, universal_newlines=True, timeout=PLAYBOOK_LIMIT_S)
        result_file = os.path.join(tree, "localhost")
        result = {}
        if os.path.exists(result_file):
            with open(result_file) as found:
                result = json.load(found)
        return run.returncode, run.stdout, result

    def recap(self, output):
        """The counts of the play recap's line for localhost."""
        for line in output.splitlines():
            if line.startswith("localhost") and "ok=" in line:
                return dict((k, int(v)) for k, v in
                            (field.split("=") for field in line.split()[2:]))
        self.fail("no play recap in:\n" + output)

    def outcomes(self, result):
        return [entry["outcome"] for entry in result["ports"]]


class RolloutTest(PlaybookTest):
    def test_first_run_writes_then_second_writes_nothing(self):
        displays = [self.display(), self.display(held=None), self.display()]
        status, output, result = self.playbook(displays, "--diff", display_baud="auto")
        self.assertEqual(status, 0, output)
        self.assertEqual(self.recap(output)["changed"], 1, output)
        self.assertEqual(self.outcomes(result), ["written"] * 3, output)
        self.assertEqual([e["speed"] for e in result["ports"]], [9600] * 3)
        for display in displays:
            self.assertEqual(display.holds(), self.image("shop"))
            self.assertEqual(display.stores(), 1, display.console())
        # Diff mode shows the display's old value and the new one, field by field.
        self.assertIn('-welcome_line1: "GRAND OPENING SALE"', output)
        self.assertIn('+welcome_line1: " WELCOME TO SHOP 7 "', output)
        self.assertIn("-code_page: 1 ", output)
        self.assertIn("+code_page: 0 ", output)

        status, output, result = self.playbook(displays, display_baud="auto")
        self.assertEqual(status, 0, output)
        recap = self.recap(output)
        self.assertEqual((recap["changed"], recap["ok"]), (0, 1), output)
        self.assertEqual(self.outcomes(result), ["unchanged"] * 3, output)
        self.assertEqual([d.stores() for d in displays], [1, 1, 1])

        # force writes a display that holds the configuration already.
        status, output, result = self.playbook(displays[:1], display_force=True)
        self.assertEqual((status, self.recap(output)["changed"]), (0, 1), output)
        self.assertEqual(displays[0].stores(), 2)

    def test_check_mode_reads_and_reports_but_never_writes(self):
        displays = [self.display(), self.display(held="shop")]
        status, output, result = self.playbook(displays, "--check", "--diff")
        self.assertEqual(status, 0, output)
        self.assertEqual(self.recap(output)["changed"], 1, output)
        self.assertEqual(self.outcomes(result), ["would_write", "unchanged"], output)
        self.assertEqual([e["field"] for e in result["ports"][0]["differences"]],
                         ["code_page", "welcome_line1", "welcome_line2"])
        self.assertIn('+welcome_line2: "OPEN 8-20  MON TO SAT"', output)
        self.assertEqual(displays[0].holds(), self.image("old"))
        self.assertEqual(displays[1].holds(), self.image("shop"))
        for display in displays:
            self.assertGreater(display.requests(), 0, "not read: " + display.console())
            self.assertEqual(display.stores(), 0, display.console())

    def test_inline_config_with_backup_keeps_what_the_display_held(self):
        displays = [self.display(), self.display(held="shop")]
        backups = os.path.join(self.folder, "backups")
        variables = dict(display_config=os.path.join(HERE, "files", "shop.json"),
                         display_backup=True, display_backup_dir=backups)
        status, output, result = self.playbook(displays, **variables)
        self.assertEqual(status, 0, output)
        self.assertEqual(self.outcomes(result), ["written", "unchanged"], output)
        self.assertEqual(displays[0].holds(), self.image("shop"))
        # Only the display that held something else needs a backup.
        self.assertEqual(len(result["backup_files"]), 1, output)
        self.assertEqual(result["ports"][0]["backup_file"], result["backup_files"][0])
        with open(result["backup_files"][0], "rb") as backup:
            self.assertEqual(backup.read(), self.image("old"))

        status, output, result = self.playbook(displays, **variables)
        self.assertEqual((status, self.recap(output)["changed"]), (0, 0), output)
        self.assertEqual(result["backup_files"], [])
        self.assertEqual(len(os.listdir(backups)), 1)


class FailureTest(PlaybookTest):
    def test_failing_displays_fail_the_task_with_their_meaning(self):
        cases = [
            # virtual display flags, meaning, exit status, words of vfdctl's message
            (["--silent"], "no_answer", 5, "no answer"),
            (["--wrong-check"], "check_refused", 6, "wrong check byte"),
            (["--store-other"], "verify_mismatch", 8, "reads back other settings"),
        ]
        failing = [self.display(flags=flags) for flags, _, _, _ in cases]
        good = self.display()
        status, output, result = self.playbook(failing + [good])
        self.assertNotEqual(status, 0, output)
        self.assertEqual(self.recap(output)["failed"], 1, output)
        self.assertIn("FAILED!", output)
        for display, entry, (flags, meaning, code, words) in zip(failing, result["ports"], cases):
            with self.subTest(flags=flags):
                self.assertEqual((entry["meaning"], entry["status"]), (meaning, code), entry)
                self.assertIn(words, entry["message"])
                self.assertIn("%s: %s (status %d" % (display.port, meaning, code), result["msg"])
        self.assertEqual(result["status"], 5)
        # A failed verify names the field the display read back otherwise.
        self.assertIn("reserved_tail: 00 00 00 00 -> 00 00 00 FF", result["msg"])
        # What failed before the write is left as it was; the good display is still written.
        self.assertEqual(failing[0].holds(), self.image("old"))
        self.assertEqual(failing[1].holds(), self.image("old"))
        self.assertEqual(good.holds(), self.image("shop"))
        self.assertEqual(result["ports"][-1]["outcome"], "written")

    def test_a_failure_is_worded_as_vfdctls_document_words_its_status(self):
        # A vfdctl whose documents word each status their own way: the module has no words of
        # its own for a status, only those the document lists.
        wrapper = os.path.join(self.folder, "vfdctl-reworded")
        with open(wrapper, "w") as script:
            script.write(
                "#!/usr/bin/python3\n"
                "import json, subprocess, sys\n"
                "run = subprocess.run([%r] + sys.argv[1:], stdout=subprocess.PIPE)\n"
                "document = json.loads(run.stdout)\n"
                "for row in document['exit_statuses']:\n"
                "    row['explanation'] = 'worded for ' + row['meaning']\n"
                "print(json.dumps(document))\n"
                "sys.exit(run.returncode)\n" % self.vfdctl)
        os.chmod(wrapper, 0o755)
        display = self.display(flags=["--silent"])
        status, output, result = self.playbook([display], vfdctl=wrapper)
        self.assertNotEqual(status, 0, output)
        self.assertIn("%s: no_answer (status 5, worded for no_answer): " % display.port,
                      result["msg"])

        status, output, result = self.playbook(
            [display], vfdctl=wrapper, display_src=os.path.join(self.folder, "missing.vfd"))
        self.assertNotEqual(status, 0, output)
        self.assertIn("(status 3, worded for bad_file)", result["msg"])

    def test_a_write_stopped_once_the_image_went_out_is_a_change(self):
        # The display holds the line as the check byte goes, so the image waits on the host; a
        # vfdctl that is sent SIGTERM then, as a task's timeout would, still sends it whole.
        display = self.display(flags=["--stall", "700", "--stall-at-check"])
        wrapper = os.path.join(self.folder, "vfdctl-stopped")
        with open(wrapper, "w") as script:
            script.write(
                "#!/usr/bin/python3\n"
                "import signal, subprocess, sys, time\n"
                "run = subprocess.Popen([%r] + sys.argv[1:], stdout=subprocess.PIPE)\n"
                "if sys.argv[1] == 'write':\n"
                "    while 'The line is held.' not in open(%r).read():\n"
                "        time.sleep(0.02)\n"
                "    time.sleep(0.25)\n"
                "    run.send_signal(signal.SIGTERM)\n"
                "sys.stdout.write(run.communicate()[0].decode())\n"
                "sys.exit(run.returncode)\n" % (self.vfdctl, display.log))
        os.chmod(wrapper, 0o755)
        status, output, result = self.playbook([display], vfdctl=wrapper)
        self.assertNotEqual(status, 0, output)
        self.assertTrue(result["changed"], output)
        entry = result["ports"][0]
        self.assertEqual((entry["outcome"], entry["meaning"], entry["changed"]),
                         ("interrupted", "interrupted", True), entry)
        deadline = time.monotonic() + START_LIMIT_S
        while display.stores() == 0 and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(display.holds(), self.image("shop"))

    def test_a_bad_configuration_fails_before_any_port_is_opened(self):
        bad_config = os.path.join(self.folder, "bad.json")
        with open(os.path.join(HERE, "files", "shop.json")) as shop:
            fields = json.load(shop)
        fields["welcome_line1"] = {"text": "x" * 21}
        with open(bad_config, "w") as bad:
            json.dump(fields, bad)
        cases = [
            (dict(display_src=os.path.join(self.folder, "missing.vfd")), "missing.vfd"),
            (dict(display_config=bad_config), "welcome_line1"),
        ]
        display = self.display()
        for variables, words in cases:
            with self.subTest(variables=variables):
                status, output, result = self.playbook([display], **variables)
                self.assertNotEqual(status, 0, output)
                self.assertEqual(result.get("meaning"), "bad_file", output)
                self.assertIn(words, result["msg"])
        self.assertEqual(display.requests(), 0, display.console())
        self.assertEqual(display.holds(), self.image("old"))


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main()
