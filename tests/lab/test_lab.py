"""The lab checked with clients that share nothing with the tool: the curl
command line, Python's ftplib and a plain UDP socket, all on loopback."""
import ftplib
import hashlib
import json
import os
import socket
import subprocess
import tempfile
import time
import unittest

LAB = os.environ.get("NAXO_LAB", "../../build/tools/naxo-lab/naxo-lab")


class LabProcess:
    def __init__(self, devices=2, scenario=None):
        self.dir = tempfile.TemporaryDirectory()
        self.log = os.path.join(self.dir.name, "events.jsonl")
        args = [LAB, "loopback", "--devices", str(devices), "--log", self.log]
        if scenario is not None:
            path = os.path.join(self.dir.name, "scenario.json")
            with open(path, "w") as f:
                json.dump(scenario, f)
            args += ["--scenario", path]
        self.proc = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.info = json.loads(self.proc.stdout.readline())

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=5)
        self.proc.stdout.close()
        self.dir.cleanup()

    def events(self, kind=None):
        with open(self.log) as f:
            evs = [json.loads(line) for line in f if line.strip()]
        return [e for e in evs if kind is None or e["event"] == kind]

    def ip(self, k):
        return self.info["devices"][k]["ip"]


def curl(*args):
    return subprocess.run(["curl", "-s", "--noproxy", "*", "-m", "10", *args],
                          capture_output=True, text=True)


class LabTest(unittest.TestCase):
    def setUp(self):
        self.lab = None

    def tearDown(self):
        if self.lab:
            self.lab.close()

    def status_url(self, k=0):
        return f"http://{self.lab.ip(k)}:{self.lab.info['http']}/cgi-bin/naxo_webservice.cgi?action=200"

    def test_discovery_reply_bytes(self):
        self.lab = LabProcess(devices=3)
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind(("127.0.0.1", 0))
        s.settimeout(2)
        s.sendto(b"INX-DC", ("127.0.0.1", self.lab.info["discovery"]))
        replies = {}
        for _ in range(3):
            data, addr = s.recvfrom(200)
            replies[addr[0]] = data
        self.assertEqual(sorted(replies), ["127.0.0.11", "127.0.0.12", "127.0.0.13"])
        d = replies["127.0.0.12"]
        self.assertEqual(d[:6], b"INX_DR")
        self.assertEqual(d[6:12], bytes.fromhex("02AB00000002"))
        self.assertEqual((d[14], d[15]), (1, 4))
        self.assertEqual(d[28:].split(b"\0")[0], b"AMP-02")
        # Anything but the exact request gets no answer.
        s.sendto(b"INX-DC\0", ("127.0.0.1", self.lab.info["discovery"]))
        with self.assertRaises(socket.timeout):
            s.settimeout(0.5)
            s.recvfrom(200)
        self.assertEqual(self.lab.events("datagram")[0]["hex"], b"INX-DC".hex())

    def test_status_document(self):
        self.lab = LabProcess(devices=1)
        r = curl(self.status_url())
        doc = json.loads(r.stdout)
        for member in ("mac", "serial", "build_info", "fpga_firmware", "filterversion", "sv_firmware",
                       "sw_firmware", "amp_firmware", "system_length", "system_pos", "system_master_id",
                       "user_length", "user_pos", "user_master_id"):
            self.assertIn(member, doc)
        self.assertEqual(doc["mac"], "02:AB:00:00:00:01")

    def test_upload_install_reset_new_build(self):
        self.lab = LabProcess(devices=1, scenario={"devices": [{"resetMs": 600}]})
        image = b"NAXOFW build_info=v2.0.0-7\n" + os.urandom(70000)
        ftp = ftplib.FTP()
        ftp.connect(self.lab.ip(0), self.lab.info["ftp"], timeout=5)
        ftp.login()
        ftp.cwd("/update")
        ftp.storbinary("STOR firmware.naxo", __import__("io").BytesIO(b"old contents"))
        ftp.storbinary("STOR firmware.naxo", __import__("io").BytesIO(image))  # replaces
        ftp.quit()
        stored = self.lab.events("ftp_stored")[-1]
        self.assertEqual(stored["path"], "/update/firmware.naxo")
        self.assertEqual(stored["size"], len(image))
        self.assertEqual(stored["sha256"], hashlib.sha256(image).hexdigest())
        self.assertTrue(stored["binary"])

        install = curl("-X", "POST", "-d", "",
                       f"http://{self.lab.ip(0)}:{self.lab.info['http']}/cgi-bin/naxo_webservice.cgi?action=102")
        self.assertIn("Update Script", install.stdout)
        self.assertIn("ubifs is ready", install.stdout)
        time.sleep(0.2)
        self.assertEqual(curl(self.status_url()).stdout, "", "silent while resetting")
        time.sleep(0.8)
        self.assertEqual(json.loads(curl(self.status_url()).stdout)["build_info"], "v2.0.0-7")
        kinds = [e["event"] for e in self.lab.events()]
        self.assertLess(kinds.index("install_done"), kinds.index("reset_begin"))
        self.assertLess(kinds.index("reset_begin"), kinds.index("reset_end"))

    def test_curl_upload_and_invalid_image(self):
        self.lab = LabProcess(devices=1)
        with tempfile.NamedTemporaryFile() as f:
            f.write(b"no header at all")
            f.flush()
            up = curl("-T", f.name, f"ftp://{self.lab.ip(0)}:{self.lab.info['ftp']}/%2Fupdate/firmware.naxo")
            self.assertEqual(up.returncode, 0, up.stderr)
        install = curl("-X", "POST", "-d", "",
                       f"http://{self.lab.ip(0)}:{self.lab.info['http']}/cgi-bin/naxo_webservice.cgi?action=102")
        self.assertIn("ERROR", install.stdout)
        self.assertNotIn("ubifs is ready", install.stdout)
        self.assertEqual(self.lab.events("reset_begin"), [])

    def test_fault_knobs_http_error_and_ftp_refusal(self):
        self.lab = LabProcess(devices=2, scenario={"devices": [{"statusHttpError": 404}, {"ftpRefuse": True}]})
        r = curl("-o", "/dev/null", "-w", "%{http_code}", self.status_url(0))
        self.assertEqual(r.stdout, "404")
        ftp = ftplib.FTP()
        ftp.connect(self.lab.ip(1), self.lab.info["ftp"], timeout=5)
        with self.assertRaises(ftplib.error_perm):
            ftp.login()
        self.assertFalse(self.lab.events("ftp_login")[-1]["accepted"])

    def test_update_server_catalogue_and_file(self):
        self.lab = LabProcess(devices=1, scenario={"server": {"fileName": "fw 2.naxo", "size": 5000}})
        base = f"http://127.0.0.2:{self.lab.info['server']}/QW58-Remote-Updater/NAXO_Firmware/"
        catalogue = curl(base + "NAXOInfo").stdout
        self.assertIn("NAXO S FileName=fw 2.naxo\n", catalogue)
        self.assertIn("NXAO S FileSize=5000\n", catalogue)
        body = subprocess.run(["curl", "-s", "--noproxy", "*", base + "fw%202.naxo"], capture_output=True).stdout
        self.assertEqual(len(body), 5000)
        self.assertTrue(body.startswith(b"NAXOFW build_info=v1.2.3-45\n"))


if __name__ == "__main__":
    unittest.main()
