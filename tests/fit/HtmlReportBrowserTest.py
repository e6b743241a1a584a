"""FitReport.html in a real browser: gripfit fits examples/fit in a temporary
folder, headless chromium renders the page to a screenshot and dumps the DOM
after rendering. The screenshot must not be blank, the DOM must hold one SVG
figure per sweep, and its target and design values must be FitReport.json's.

Usage: HtmlReportBrowserTest.py GRIPFIT EXAMPLES_FIT_DIR
Exit status: 0 passed, 1 failed, 77 skipped (no chromium on the PATH).
"""

import glob
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
MEASURED = (0x1F, 0x77, 0xB4)  # the page's colour of measured points
MODEL = (0xD6, 0x27, 0x28)     # and of the model


class Page(html.parser.HTMLParser):
    """The parts of the rendered DOM the test compares."""

    def __init__(self):
        super().__init__()
        self.sweeps = []     # per figure of class "sweep": [file, svg count]
        self.target = None
        self.design = []     # (name, value) of the rows of class "design"
        self._figure = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "figure" and a.get("class") == "sweep":
            self._figure = [a.get("data-file"), 0]
            self.sweeps.append(self._figure)
        elif tag == "svg" and self._figure is not None:
            self._figure[1] += 1
        elif a.get("id") == "target":
            self.target = float(a["data-value"])
        elif tag == "tr" and a.get("class") == "design":
            self.design.append((a["data-name"], float(a["data-value"])))

    def handle_endtag(self, tag):
        if tag == "figure":
            self._figure = None


def main(gripfit, examples):
    browser = shutil.which("chromium")
    if browser is None:
        print("skipped: chromium is not installed (apt-get install chromium)")
        return SKIPPED
    from PIL import Image

    faults = []

    def check(ok, what):
        if not ok:
            faults.append(what)

    with tempfile.TemporaryDirectory() as folder:
        for name in glob.glob(os.path.join(examples, "*.dat")):
            shutil.copy(name, folder)
        fit = subprocess.run([gripfit, "--quiet"], cwd=folder, capture_output=True, text=True)
        if fit.returncode != 0:
            print(f"gripfit ended with {fit.returncode}: {fit.stdout}{fit.stderr}")
            return 1
        page = os.path.join(folder, "FitReport.html")
        shot = os.path.join(folder, "shot.png")
        common = [browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--user-data-dir=" + os.path.join(folder, "profile")]
        # A guard against a browser that hangs, not a measure of speed.
        rendered = subprocess.run(common + ["--screenshot=" + shot, "--window-size=1200,3000", "file://" + page],
                                  capture_output=True, text=True, timeout=300)
        check(rendered.returncode == 0, f"the screenshot run ended with {rendered.returncode}: {rendered.stderr}")
        dumped = subprocess.run(common + ["--dump-dom", "file://" + page], capture_output=True, text=True,
                                timeout=300)
        check(dumped.returncode == 0, f"the DOM dump ended with {dumped.returncode}: {dumped.stderr}")

        if os.path.exists(shot):
            image = Image.open(shot).convert("RGB")
            check(image.size == (1200, 3000), f"the screenshot is {image.size}, not 1200 x 3000")
            colours = {colour for _, colour in image.getcolors(maxcolors=1 << 24)}
            check(len(colours) > 1, "the screenshot is blank: one colour")
            check(MEASURED in colours, "no measured point drawn in the screenshot")
            check(MODEL in colours, "no model curve drawn in the screenshot")
        else:
            faults.append("no screenshot written")

        with open(os.path.join(folder, "FitReport.json"), encoding="utf-8") as f:
            report = json.load(f)
        with open(os.path.join(folder, "DesignTarget.dat"), encoding="latin-1") as f:
            files = [line.split()[2] for line in f if line.strip().startswith("file =")]
        dom = Page()
        dom.feed(dumped.stdout)
        check([s[0] for s in dom.sweeps] == files, f"sweep figures {[s[0] for s in dom.sweeps]}, files {files}")
        check(all(s[1] == 1 for s in dom.sweeps), f"SVGs per sweep figure: {[s[1] for s in dom.sweeps]}")
        check(dom.target == report["target"], f"target {dom.target} on the page, {report['target']} in the JSON")
        expected = [(d["name"], d["value"]) for d in report["design"]]
        check(dom.design == expected, f"design {dom.design} on the page, {expected} in the JSON")
        check(len(expected) == 4, f"{len(expected)} design variables in the JSON, 4 in DesignStart.dat")

    for fault in faults:
        print("FAILED:", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
