#!/usr/bin/python3
# -*- coding: utf-8 -*-
"""Ansible module: upgrades the router cabled to the managed host with the firmware that the host's
firmware-upgrade-utility carries, through its command line (--cli --json)."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: firmware_upgrade
short_description: Upgrade the firmware of the router cabled to the managed host
description:
  - Runs C(firmware-upgrade-utility --cli --json --skip-current) on the managed host, which sends the
    firmware image that the program carries to the router at O(address) and waits until the router has
    written it, restarted and come back with the new version.
  - A router that already runs the carried version is left alone (C(changed=false)).
  - Unless O(force) is set, the router's version is read first (C(--check)) and a router whose version
    cannot be read is left alone and fails, since it may run a newer firmware than the carried one.
  - C(changed) is true once the router took the whole image, also when it failed afterwards (never came
    back, or came back with its old version); such a task fails as well.
  - In check mode the carried image is checked (C(--image-info)) and the router only checked (C(--check)),
    which reads its version and compares it with the carried one; nothing is sent.
  - The password travels on the program's standard input, never on a command line.
  - An upgrade takes up to 20 minutes; over SSH, run the task with C(async) and C(poll) so that a dropped
    connection does not lose its result.
version_added: "1.0.0"
extends_documentation_fragment:
  - action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  platform:
    support: full
    platforms: posix
options:
  address:
    description: The router's IPv4 address, as seen from the managed host.
    type: str
    required: true
  password:
    description: The router's password.
    type: str
    required: true
  program:
    description: The upgrade program on the managed host (a name on its PATH, or a path).
    type: str
    default: firmware-upgrade-utility
  allow_downgrade:
    description: Install the carried firmware also when the router runs a newer version.
    type: bool
    default: false
  force:
    description:
      - Send the carried firmware also when the router's version cannot be read (the status page names
        none, or did not answer in time). A router whose version is read still follows O(allow_downgrade).
    type: bool
    default: false
  timeout:
    description: Seconds after which a run of the program is given up (the program keeps its own, shorter
      bounds).
    type: int
    default: 1200
notes:
  - The program must be installed on the managed host; the router must be reachable from it.
  - The program refuses to run as root; do not use C(become).
  - One router per host at a time; run many hosts in parallel with forks.
author:
  - Firmware Upgrade Utility developers
"""

EXAMPLES = r"""
- name: Upgrade the router behind this PC
  firmware_upgrade:
    address: 192.168.1.1
    password: "{{ router_password }}"
  async: 1800
  poll: 15
"""

RETURN = r"""
verdict:
  description: >-
    How the run ended: upgraded, current (already ran the carried version, nothing sent), checked
    (check mode), version-unknown (the version could not be read and force is not set; nothing sent), or
    the failure's name (router-check-failed, downgrade-declined, image-damaged, upgrade-failed, stopped,
    ...).
  type: str
  returned: always
image_sent:
  description: Whether the router took the whole image (then the task is changed, also when it failed).
  type: bool
  returned: always
router_version_before:
  description: The version the router ran before, null when it could not be read.
  type: str
  returned: always
carried_version:
  description: The version of the firmware that the program carries.
  type: str
  returned: always
router_version_after:
  description: The version the router runs after its restart, null when unknown or nothing was sent.
  type: str
  returned: always
action:
  description: What an upgrade would do (upgrade, same, downgrade, unknown), from the check before it.
  type: str
  returned: check mode, and when the version check ran before an upgrade
cause:
  description: Why the run failed, in the program's words; empty on success.
  type: str
  returned: always
exit_status:
  description: The program's exit status.
  type: int
  returned: always
stderr:
  description: What the program wrote on its standard error (its failures and warnings).
  type: str
  returned: always
"""

import json
import os

from ansible.module_utils.basic import AnsibleModule

# Exit status of a run that ends by this module's own time limit (as timeout(1) reports it).
TIMED_OUT = 124
# The program's exit status for a damaged carried image.
IMAGE_DAMAGED = 5
# Once one of these phases has begun, the router has the whole image.
PHASES_AFTER_SENDING = ("writing-flash", "confirming")


def read_events(stdout):
    """The program's final result object ("event": "result", or None when it wrote none) and whether its
    events (or the result's image_sent) show that the router took the whole image."""
    result = None
    sent = False
    sending_percent = None
    for line in stdout.splitlines():
        line = line.strip()
        if not line.startswith("{"):
            continue
        try:
            event = json.loads(line)
        except ValueError:
            continue
        if not isinstance(event, dict):
            continue
        kind = event.get("event")
        if kind == "result":
            result = event
        elif kind == "phase" and event.get("phase") in PHASES_AFTER_SENDING:
            sent = True
        elif kind == "progress" and event.get("phase") == "sending":
            sending_percent = event.get("percent")
    if isinstance(sending_percent, int) and sending_percent >= 100:
        sent = True
    # A program that says so in its result line is believed as well.
    if result is not None and result.get("image_sent") is True:
        sent = True
    return result, sent


def command_for(program, params, mode):
    """The program's arguments for `mode`: "image" (--image-info), "check" or "upgrade"."""
    if mode == "image":
        return [program, "--image-info"]
    command = [program, "--cli", "--json", "--address", params["address"], "--password-stdin"]
    if mode == "check":
        command.append("--check")
    else:
        command.append("--skip-current")
        if params["allow_downgrade"]:
            command.append("--yes")
    return command


def refusal(action, params):
    """Why a router with the check's `action` is not to be upgraded, or None when it may be."""
    if action == "downgrade" and not params["allow_downgrade"]:
        return "downgrade"
    if action == "unknown" and not params["force"]:
        return "unknown"
    return None


def predicted_change(action, params):
    return refusal(action, params) is None and action in ("upgrade", "unknown", "downgrade")


def find_program(module):
    """The program's path on this host; fails the task with the reason when there is none to run."""
    name = module.params["program"]
    if os.path.sep in name:
        path = name if os.path.isfile(name) and os.access(name, os.X_OK) else None
    else:
        path = module.get_bin_path(name, required=False)
    if not path:
        module.fail_json(
            msg="the upgrade program %s is not installed on this host (or not executable): install the "
            "package, or set program to the program's path" % name,
            changed=False, verdict="not-installed", image_sent=False, exit_status=None, stderr="")
    return path


class Runner(object):
    """Runs the program under the module's time limit, the password on its standard input."""

    def __init__(self, module, program):
        self.module = module
        self.program = program
        self.timeout = module.get_bin_path("timeout", required=False)

    def run(self, mode):
        params = self.module.params
        command = command_for(self.program, params, mode)
        if self.timeout and params["timeout"] > 0:
            command = [self.timeout, "--signal=INT", "--kill-after=30", str(params["timeout"])] + command
        data = None if mode == "image" else params["password"]
        rc, stdout, stderr = self.module.run_command(command, data=data, binary_data=False,
                                                     encoding="utf-8", errors="replace")
        return rc, stdout, stderr.strip()


def answer_from(result, rc, stderr, sent):
    return dict(
        verdict=result.get("verdict", ""),
        image_sent=sent,
        router_version_before=result.get("router_version_before"),
        carried_version=result.get("carried_version"),
        router_version_after=result.get("router_version_after"),
        cause=result.get("cause", ""),
        exit_status=result.get("exit", rc),
        stderr=stderr,
    )


def refusal_message(reason, answer):
    if reason == "downgrade":
        return ("the router runs %s, newer than the carried %s; set allow_downgrade to install it"
                % (answer["router_version_before"], answer["carried_version"]))
    return ("the router's version could not be read, so it may run a newer firmware than the carried %s; "
            "nothing was sent; set force to send it all the same" % answer["carried_version"])


def run_json(module, runner, mode):
    """One --cli run: its answer, or the task failed when the program wrote no result."""
    rc, stdout, stderr = runner.run(mode)
    result, sent = read_events(stdout)
    if result is None:
        if rc == TIMED_OUT:
            message = "the upgrade program did not finish within %d seconds" % module.params["timeout"]
        else:
            message = "the upgrade program gave no result (exit status %d)" % rc
        if sent:
            message += "; the router had taken the whole image"
        module.fail_json(msg=message, verdict="no-result", image_sent=sent, exit_status=rc, stderr=stderr,
                         changed=sent and not module.check_mode)
    answer = answer_from(result, rc, stderr, sent)
    return answer, rc != 0 or answer["exit_status"] != 0, result.get("action")


def check_image(module, runner):
    rc, stdout, stderr = runner.run("image")
    if rc != 0:
        # The program's own line names the damage; without one, the exit status says what failed.
        what = "the carried image is damaged" if rc == IMAGE_DAMAGED else "the carried image could not be read"
        module.fail_json(msg=stderr or "%s (exit status %d)" % (what, rc), changed=False, exit_status=rc,
                         verdict="image-damaged" if rc == IMAGE_DAMAGED else "image-unreadable",
                         image_sent=False, stderr=stderr)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            address=dict(type="str", required=True),
            password=dict(type="str", required=True, no_log=True),
            program=dict(type="str", default="firmware-upgrade-utility"),
            allow_downgrade=dict(type="bool", default=False),
            force=dict(type="bool", default=False),
            timeout=dict(type="int", default=1200),
        ),
        supports_check_mode=True,
    )
    params = module.params
    runner = Runner(module, find_program(module))
    action = None
    if module.check_mode:
        check_image(module, runner)
    if module.check_mode or not params["force"]:
        answer, failed, action = run_json(module, runner, "check")
        answer["action"] = action
        if failed:
            module.fail_json(msg=answer["cause"] or "the router check failed (%s)" % answer["verdict"],
                             changed=False, **answer)
        reason = refusal(action, params)
        if reason is not None:
            if not module.check_mode and reason == "unknown":
                answer["verdict"] = "version-unknown"
            module.fail_json(msg=refusal_message(reason, answer), changed=False, **answer)
        if module.check_mode:
            module.exit_json(changed=predicted_change(action, params), **answer)

    answer, failed, _ = run_json(module, runner, "upgrade")
    if action is not None:
        answer["action"] = action
    # A router that took the whole image has been changed, whether it then confirmed it or not.
    changed = answer["image_sent"] or answer["verdict"] == "upgraded"
    if failed:
        module.fail_json(msg=answer["cause"] or "the upgrade failed (%s)" % answer["verdict"],
                         changed=changed, **answer)
    module.exit_json(changed=changed, **answer)


if __name__ == "__main__":
    main()
