// Register the example session's CT to the simulated tracker in the window: the pointer tours the
// phantom's eight divots; four are captured by button, four by resting the tip; the eight metal beads are
// clicked in the axial view (one first beside its bead, to be named as a likely mistake and dragged
// onto it); Register then puts every bead where the tracker sees its divot.

// Column-major 4 x 4 matrices, as the script interface gives them.
function multiply(a, b) {
    var c = [];
    for (var col = 0; col < 4; ++col)
        for (var row = 0; row < 4; ++row) {
            var sum = 0;
            for (var k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[col * 4 + k];
            c[col * 4 + row] = sum;
        }
    return c;
}
function apply(m, p) {
    return [0, 1, 2].map(function (r) { return m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r]; });
}
function rigidInverse(m) {
    var inverse = [];
    for (var col = 0; col < 3; ++col)
        for (var row = 0; row < 3; ++row)
            inverse[col * 4 + row] = m[row * 4 + col];
    var t = [0, 1, 2].map(function (r) { return -(inverse[r] * m[12] + inverse[4 + r] * m[13] + inverse[8 + r] * m[14]); });
    return [inverse[0], inverse[1], inverse[2], 0, inverse[4], inverse[5], inverse[6], 0,
            inverse[8], inverse[9], inverse[10], 0, t[0], t[1], t[2], 1];
}
function distance(p, q) {
    return Math.sqrt(p.reduce(function (sum, v, i) { return sum + (v - q[i]) * (v - q[i]); }, 0));
}
function shifted(p, d) { return p.map(function (v, i) { return v + d[i]; }); }

// The simulator's truth: the divots in the phantom's frame, where the phantom lies in front of the tracker
// (0.4 rad about (1, 2, 1), then moved), and where its beads lie in the CT (phantom x, y, z to CT x, z, -y).
var divots = [[104.3, 5, 20], [104.3, 45, 20], [104.3, 45, 0], [104.3, -5, 0],
              [-34.3, 45, 15], [-34.3, -5, 20], [-34.3, -5, 0], [-34.3, 45, 0]];
function phantomToTracker(p) {
    var axis = [1 / Math.sqrt(6), 2 / Math.sqrt(6), 1 / Math.sqrt(6)], angle = 0.4;
    var c = Math.cos(angle), s = Math.sin(angle), dot = axis[0] * p[0] + axis[1] * p[1] + axis[2] * p[2];
    var cross = [axis[1] * p[2] - axis[2] * p[1], axis[2] * p[0] - axis[0] * p[2], axis[0] * p[1] - axis[1] * p[0]];
    return [0, 1, 2].map(function (i) { return p[i] * c + cross[i] * s + axis[i] * dot * (1 - c); })
        .map(function (v, i) { return v + [-120, 40, -1450][i]; });
}
var beads = divots.map(function (d) { return [d[0] - 35, -d[2] - 85, d[1] - 20]; });

function waitFor(condition, milliseconds) {
    for (var waited = 0; !condition() && waited < milliseconds; waited += 50)
        tesselon.wait(50);
}

var volume = "tesselon-synthetic-ct", tracker = "Simulated Tracker";
var volumeBefore = tesselon.matrix(volume);
tesselon.select([volume, tracker]);
var panel = tesselon.menu("Registration;Tracker-Volume Registration");
var types = tesselon.widget(panel, "comboBox_registrationType");
var result = tesselon.widget(panel, "registrationResult");
var status = tesselon.widget(panel, "pointStatus");
var table = tesselon.widget(panel, "pairTable");

// The registration type is a choice only relative to another instrument, and then not global tracking.
tesselon.check(types.currentIndex === 0 && !types.enabled, "without a reference: global tracking, locked");
tesselon.choose(tesselon.widget(panel, "comboBox_relTool"), "Reference");
tesselon.check(types.currentIndex === 1 && types.enabled, "with a reference: adjust the volume's registration");
tesselon.choose(tesselon.widget(panel, "comboBox_relTool"), "None");
tesselon.check(types.currentIndex === 0 && !types.enabled, "without a reference again: global tracking, locked");
tesselon.choose(tesselon.widget(panel, "comboBox_tool"), "Pointer");

// A capture while the tracker sends nothing waits visibly and can be cancelled.
// Stopping runs on the stream's own thread; the tracker may send a last sample until it has stopped.
tesselon.widget(tracker, "stop").click();
waitFor(function () { return tesselon.widget(tracker, "start").enabled; }, 5000);
var capture = tesselon.widget(panel, "createFirst");
capture.click();
tesselon.wait(300);
tesselon.check(capture.text === "Cancel Capture" && /Waiting/.test(status.text), "the capture waits: " + status.text);
capture.click();
tesselon.check(capture.text === "Capture Tracked Point" && table.rowCount === 0, "cancelled, nothing taken");
tesselon.check(tesselon.widget(panel, "comboBox_tool").enabled, "the instruments stay free without points");
tesselon.widget(tracker, "start").click();

// The tour rests 3 s in each divot and takes 1.5 s to the next. Which divot each capture took is read
// from the pointer (its tip lies 143.5 mm along the marker's -z), so a late event loop changes nothing.
var divotsInTracker = divots.map(phantomToTracker);
function pointerDivot() {
    var pointer = tesselon.instruments(tracker).filter(function (i) { return i.id === "Pointer"; })[0];
    var tip = apply(pointer.pose, [-2, 1, -143.5]);
    for (var k = 0; k < divotsInTracker.length; ++k)
        if (distance(tip, divotsInTracker[k]) < 1.0)
            return k;
    return -1;
}
var taken = [];  // the divot of each pair, in pair order
function restingDivot() {
    var k = pointerDivot();
    tesselon.wait(100);
    return k >= 0 && pointerDivot() === k && taken.indexOf(k) < 0 ? k : -1;
}
tesselon.setParameter(tracker, "PointerMotion", "Visiting Divots");
for (var waited = 0; taken.length < 4 && waited < 40000; waited += 100) {
    var k = restingDivot();
    if (k < 0)
        continue;
    var rows = table.rowCount;
    capture.click();
    waitFor(function () { return table.rowCount > rows; }, 2000);
    if (table.rowCount > rows)
        taken.push(k);
}
tesselon.check(table.rowCount === 4, "four divots captured by button: " + table.rowCount);
tesselon.check(!tesselon.widget(panel, "comboBox_tool").enabled, "the pointer is locked while points exist");
tesselon.widget(panel, "dwellCapture").checked = true;
for (waited = 0; table.rowCount < 8 && waited < 40000; waited += 50) {
    var before = table.rowCount;
    tesselon.wait(50);
    if (table.rowCount > before)
        taken.push(pointerDivot());
}
tesselon.widget(panel, "dwellCapture").checked = false;
tesselon.check(table.rowCount === 8 && taken.every(function (k) { return k >= 0; }),
               "four more divots captured by resting the tip: " + JSON.stringify(taken));

// Too few pairs: nothing changes, and the panel says why.
tesselon.widget(panel, "pushButtonRegister").click();
tesselon.check(/^Not registered: /.test(result.text), "one volume point is not enough: " + result.text);
tesselon.check(distance(tesselon.matrix(volume).slice(12, 15), volumeBefore.slice(12, 15)) === 0, "the CT stays");

// The beads are clicked in the axial view in the order their divots were taken; the last one 6 mm beside
// its bead.
var miss = [6, 0, 0];
taken.forEach(function (divot, k) {
    var bead = beads[divot];
    var click = k === 7 ? shifted(bead, miss) : bead;
    tesselon.centreSlices(click);
    tesselon.widget(panel, "createSecond").click();
    tesselon.click(0, click);
});
tesselon.widget(panel, "pushButtonRegister").click();
tesselon.check(/Pair 8 fits far worse/.test(result.text), "the misplaced bead is named: " + result.text);
tesselon.check(tesselon.log().some(function (line) { return /\[warning\].*Pair 8 fits far worse/.test(line); }),
               "and logged");

// Drag the misplaced point onto its bead, which moved with the CT, and register again.
var moved = multiply(tesselon.matrix(volume), rigidInverse(volumeBefore));
var lastBead = beads[taken[7]];
var wrong = apply(moved, shifted(lastBead, miss)), right = apply(moved, lastBead);
// The registration turned the CT, so the way there crosses slices: in the axial view, then the coronal.
var halfway = [right[0], right[1], wrong[2]];
tesselon.centreSlices(wrong);
tesselon.drag(0, wrong, halfway);
tesselon.centreSlices(halfway);
tesselon.drag(1, halfway, right);
tesselon.widget(panel, "pushButtonRegister").click();
var rms = parseFloat(/RMS error ([0-9.]+) mm/.exec(result.text)[1]);
tesselon.check(rms < 0.6, "eight pairs register within the beads' voxels: " + result.text);

// Every bead now lies where the tracker sees its divot.
var trackerToWorld = tesselon.matrix(tracker);
moved = multiply(tesselon.matrix(volume), rigidInverse(volumeBefore));
beads.forEach(function (bead, k) {
    var error = distance(apply(moved, bead), apply(trackerToWorld, phantomToTracker(divots[k])));
    tesselon.check(error < 1.0, "bead " + (k + 1) + " lies on its divot: " + error.toFixed(2) + " mm off");
});

// The error to expect at a target clicked in a view.
var lesion = apply(moved, [-30, 0, 10]);
tesselon.centreSlices(lesion);
tesselon.widget(panel, "pickTarget").click();
tesselon.click(0, lesion);
var target = tesselon.widget(panel, "targetError").text;
tesselon.check(/Expected error at the target .* 0\.\d\d mm RMS/.test(target), "the target's expected error: " + target);

tesselon.widget(panel, "deleteAllPairs").click();
tesselon.check(tesselon.widget(panel, "comboBox_tool").enabled && tesselon.widget(panel, "comboBox_relTool").enabled,
               "without points the instruments can be chosen again");
