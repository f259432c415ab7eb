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
  - In check mode the router is only checked (C(--check)): its version is read and compared with the
    carried one; nothing is sent.
  - The password travels on the program's standard input, never on a command line.
version_added: "1.0.0"
options:
  address:
    description: The router's IPv4 address, as seen from the managed host.
    type: str
    required: true
  password:
    description: The router's password.
    type: str
    required: true
    no_log: true
  program:
    description: The upgrade program on the managed host (a name on its PATH, or a path).
    type: str
    default: firmware-upgrade-utility
  allow_downgrade:
    description: Install the carried firmware also when the router runs a newer version.
    type: bool
    default: false
  timeout:
    description: Seconds after which the run is given up (the program keeps its own, shorter bounds).
    type: int
    default: 1200
notes:
  - The program must be installed on the managed host; the router must be reachable from it.
  - One router per host at a time; run many hosts in parallel with forks.
author:
  - Firmware Upgrade Utility developers
"""

EXAMPLES = r"""
- name: Upgrade the router behind this PC
  firmware_upgrade:
    address: 192.168.1.1
    password: "{{ router_password }}"
"""

RETURN = r"""
verdict:
  description: >-
    How the run ended: upgraded, current (already ran the carried version, nothing sent), checked
    (check mode), or the failure's name (router-check-failed, downgrade-declined, upgrade-failed, ...).
  type: str
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
  description: In check mode, what an upgrade would do (upgrade, same, downgrade, unknown).
  type: str
  returned: check mode
cause:
  description: Why the run failed, in the program's words; empty on success.
  type: str
  returned: always
exit_status:
  description: The program's exit status.
  type: int
  returned: always
"""

import json

from ansible.module_utils.basic import AnsibleModule

# Exit status of a run that ends by this module's own time limit (as timeout(1) reports it).
TIMED_OUT = 124


def last_result(stdout):
    """The program's final JSON object ("event": "result"), or None when it wrote none."""
    result = None
    for line in stdout.splitlines():
        line = line.strip()
        if not line.startswith("{"):
            continue
        try:
            event = json.loads(line)
        except ValueError:
            continue
        if isinstance(event, dict) and event.get("event") == "result":
            result = event
    return result


def command_for(params, check_mode):
    program = params["program"]
    command = [program, "--cli", "--json", "--address", params["address"], "--password-stdin"]
    if check_mode:
        command.append("--check")
    else:
        command.append("--skip-current")
        if params["allow_downgrade"]:
            command.append("--yes")
    return command


def predicted_change(result, allow_downgrade):
    action = result.get("action")
    if action == "downgrade":
        return allow_downgrade
    return action in ("upgrade", "unknown")


def main():
    module = AnsibleModule(
        argument_spec=dict(
            address=dict(type="str", required=True),
            password=dict(type="str", required=True, no_log=True),
            program=dict(type="str", default="firmware-upgrade-utility"),
            allow_downgrade=dict(type="bool", default=False),
            timeout=dict(type="int", default=1200),
        ),
        supports_check_mode=True,
    )
    params = module.params
    program = module.get_bin_path(params["program"], required=False) or params["program"]
    params["program"] = program

    command = command_for(params, module.check_mode)
    timeout = module.get_bin_path("timeout", required=False)
    if timeout and params["timeout"] > 0:
        command = [timeout, "--signal=INT", "--kill-after=30", str(params["timeout"])] + command
    rc, stdout, stderr = module.run_command(command, data=params["password"], binary_data=False,
                                            encoding="utf-8", errors="replace")
    result = last_result(stdout)
    if result is None:
        if rc == TIMED_OUT:
            message = "the upgrade program did not finish within %d seconds" % params["timeout"]
        else:
            message = "the upgrade program gave no result (exit status %d)" % rc
        module.fail_json(msg=message, exit_status=rc, stderr=stderr.strip(), changed=False)

    answer = dict(
        verdict=result.get("verdict", ""),
        router_version_before=result.get("router_version_before"),
        carried_version=result.get("carried_version"),
        router_version_after=result.get("router_version_after"),
        cause=result.get("cause", ""),
        exit_status=result.get("exit", rc),
    )
    if module.check_mode:
        answer["action"] = result.get("action")
    if rc != 0 or answer["exit_status"] != 0:
        # A router that took the upload and then failed to confirm it has been changed all the same.
        changed = not module.check_mode and answer["router_version_after"] not in (
            None, answer["router_version_before"])
        module.fail_json(msg=answer["cause"] or "the upgrade failed (%s)" % answer["verdict"],
                         changed=changed, stderr=stderr.strip(), **answer)
    if module.check_mode:
        if result.get("action") == "downgrade" and not params["allow_downgrade"]:
            module.fail_json(
                msg="the router runs %s, newer than the carried %s; set allow_downgrade to install it"
                % (answer["router_version_before"], answer["carried_version"]),
                changed=False, **answer)
        module.exit_json(changed=predicted_change(result, params["allow_downgrade"]), **answer)
    module.exit_json(changed=answer["verdict"] == "upgraded", **answer)


if __name__ == "__main__":
    main()
