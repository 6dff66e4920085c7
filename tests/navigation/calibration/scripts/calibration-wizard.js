// Calibrate the simulated needle with the wizard: refused and empty recordings keep the pages as they
// were, a pivot and a turn are accepted with feedback while recording, Flip twice restores the result,
// Finish keeps it within 0.1 mm and 0.5° of the simulator's truth, and a wizard closed early restores it.

var tracker = "Simulated Tracker";
function widget(name) { return tesselon.widget(wizard, name); }
function dialogs() { return tesselon.dialogs().join(" | "); }
function record(milliseconds, whileRecording) {
    widget("startStopButton").click();
    tesselon.wait(milliseconds);
    if (whileRecording)
        whileRecording();
    widget("startStopButton").click();
}
function same(a, b, tolerance) {
    return a && b && a.every(function (v, i) { return Math.abs(v - b[i]) <= tolerance; });
}

tesselon.select(tracker);
var wizard = tesselon.menu("Streaming;Tracking Tool Calibration");
var steps = [0, 1, 2, 3].map(function (k) { return widget("step" + k).text; }).join(", ");
tesselon.check(steps === "0. Start, 1. Pivoting, 2. Rotation, 3. Flip", "the step bar: " + steps);
tesselon.check(!widget("backButton").enabled && widget("nextButton").visible, "the first page can only go on");
tesselon.choose(widget("instrumentsComboBox"), "Needle");
widget("nextButton").click();
tesselon.check(!widget("nextButton").visible && widget("startStopButton").visible, "pivoting waits for a recording");

// A quarter second of pivoting is refused, with the fit's own reason; the page stays incomplete.
tesselon.setParameter(tracker, "NeedleMotion", "Pivoting About Tip");
record(250);
var refused = dialogs();
tesselon.check(/^Invalid tracking sequence: Number of valid matrices too small in recorded tracking sequence\n\n.*pivot/.test(refused),
               "a short pivot is refused, saying why: " + refused);
tesselon.check(!widget("nextButton").visible, "and the page stays incomplete");

// Six and a half seconds (most of a turn of the cone) are enough, and the panel says so while recording.
record(6500, function () {
    tesselon.check(widget("startStopButton").text === "Stop" && !widget("backButton").enabled,
                   "while recording the page cannot be left");
    var feedback = widget("recordingFeedback").text;
    tesselon.check(/samples · pivot fit RMS 0\.\d\d mm · enough$/.test(feedback), "feedback: " + feedback);
});
tesselon.check(dialogs() === "" && widget("nextButton").visible, "the pivot is accepted");

// A recording in which the needle never appears changes nothing.
tesselon.widget(tracker, "stop").click();
record(300);
tesselon.check(dialogs() === "Warning: Recording not valid", "an empty recording is not valid");
tesselon.check(widget("nextButton").visible, "and the accepted pivot stays");
tesselon.widget(tracker, "start").click();

widget("nextButton").click();
tesselon.setParameter(tracker, "NeedleMotion", "Turning About Shaft");
record(4000, function () {
    var feedback = widget("recordingFeedback").text;
    tesselon.check(/^Turned \d+° of the 29° needed · enough$/.test(feedback), "feedback: " + feedback);
});
tesselon.check(dialogs() === "", "the turn is accepted");
widget("nextButton").click();
tesselon.check(widget("nextButton").text === "Finish" && widget("flipButton").visible, "the last page offers Flip");

// Flip reverses the needle's direction; twice restores it.
var calibrated = tesselon.calibration(tracker, "Needle");
widget("flipButton").click();
var flipped = tesselon.calibration(tracker, "Needle");
tesselon.check(Math.abs(flipped[10] + calibrated[10]) < 1e-9, "Flip reverses the axis");
widget("flipButton").click();
tesselon.check(same(tesselon.calibration(tracker, "Needle"), calibrated, 1e-9), "a second Flip restores it");

widget("nextButton").click();
tesselon.wait(100);
tesselon.check(tesselon.panels().every(function (p) { return p.title !== "Tracking Tool Calibration"; }),
               "Finish closes the wizard");

// The simulator's needle: the marker clamps to the hub (0, 22, -10), the tip lies 170 mm along its axis.
var norm = Math.sqrt(0.04 * 0.04 + 0.03 * 0.03 + 1);
var axis = [0.04 / norm, -0.03 / norm, -1 / norm];
var tip = [0, 22, -10].map(function (v, i) { return v + 170 * axis[i]; });
var result = tesselon.calibration(tracker, "Needle");
var tipError = Math.sqrt([12, 13, 14].reduce(function (s, k, i) { return s + Math.pow(result[k] - tip[i], 2); }, 0));
// The calibrated z runs from the tip back along the shaft.
var cosine = -(result[8] * axis[0] + result[9] * axis[1] + result[10] * axis[2]);
var angle = Math.acos(Math.min(1, cosine)) * 180 / Math.PI;
console.log("Needle calibrated: tip " + tipError.toFixed(3) + " mm, axis " + angle.toFixed(3) + " degrees from the truth");
tesselon.check(tipError < 0.1, "the tip within 0.1 mm of the truth: " + tipError.toFixed(3) + " mm");
tesselon.check(angle < 0.5, "the axis within 0.5° of the truth: " + angle.toFixed(3) + "°");

// A wizard closed before Finish gives the needle back the calibration it had.
wizard = tesselon.menu("Streaming;Tracking Tool Calibration");
tesselon.choose(widget("instrumentsComboBox"), "Needle");
widget("nextButton").click();
tesselon.setParameter(tracker, "NeedleMotion", "Pivoting About Tip");
record(6500);
tesselon.check(!same(tesselon.calibration(tracker, "Needle"), result, 1e-9), "a new pivot recalibrates at once");
widget("closePanel").click();
tesselon.wait(100);
tesselon.check(tesselon.panels().every(function (p) { return p.title !== "Tracking Tool Calibration"; }),
               "the close button closes the wizard");
tesselon.check(same(tesselon.calibration(tracker, "Needle"), result, 1e-12), "and restores the calibration");
