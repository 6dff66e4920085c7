// Takes the README's pictures of the plug-in's panels, run from the project folder:
//   xvfb-run -a -s "-screen 0 1600x1000x24" build/bin/tesselon gui --script docs/screenshots.js
tesselon.setParameter("Simulated Tracker", "NeedleMotion", "Pivoting About Tip");
tesselon.choose(tesselon.widget("Simulated Tracker", "recordInstrument"), "Needle");
tesselon.widget("Simulated Tracker", "record").click();
tesselon.wait(3000);
tesselon.widget("Simulated Tracker", "stopRecording").click();
tesselon.screenshot("docs/panel-tracker.png", "Simulated Tracker");

tesselon.select(tesselon.data().filter(function (d) { return d.kind === "TrackingSequence"; })[0]);
var calibration = tesselon.menu("Streaming;Tool Calibration");
tesselon.widget(calibration, "compute").click();
tesselon.screenshot("docs/panel-tool-calibration.png", "Tool Calibration");

tesselon.setParameter("Simulated Tracker", "NeedleMotion", "Hand-Held");
tesselon.select("Simulated Tracker");
var combine = tesselon.menu("Streaming;Combine Trackings");
tesselon.wait(200);
tesselon.choose(tesselon.widget(combine, "comboBoxPreInstrument"), "Reference");
tesselon.choose(tesselon.widget(combine, "comboBoxPostInstrument"), "Needle");
tesselon.widget(combine, "pushButtonAddInstrument").click();
tesselon.screenshot("docs/panel-combine.png", "Combine Trackings");
tesselon.screenshot("docs/panel-smoothed.png", "Smoothed Live Tracking Stream");

// With the tracker alone: a volume in the selection would put the tracker into the volume's frame.
tesselon.select("Simulated Tracker");
var tool = tesselon.menu("Visualization;Tool Visualization");
tesselon.choose(tesselon.widget(tool, "comboBox_tool"), "Needle");
tesselon.widget(tool, "checkBox_rawFiducials").checked = true;
tesselon.widget(tool, "pushButton_startStop").click();
tesselon.wait(1000);
tesselon.screenshot("docs/panel-tool-visualization.png", "Tool Visualization");

// The calibration wizard on the simulated needle: its first page, the pivoting page while recording, and
// the last page.
tesselon.select("Simulated Tracker");
var wizard = tesselon.menu("Streaming;Tracking Tool Calibration");
tesselon.choose(tesselon.widget(wizard, "instrumentsComboBox"), "Needle");
tesselon.screenshot("docs/wizard-start.png", "Tracking Tool Calibration");
tesselon.widget(wizard, "nextButton").click();
tesselon.setParameter("Simulated Tracker", "NeedleMotion", "Pivoting About Tip");
tesselon.widget(wizard, "startStopButton").click();
tesselon.wait(6500);
tesselon.screenshot("docs/wizard-pivoting.png", "Tracking Tool Calibration");
tesselon.widget(wizard, "startStopButton").click();
tesselon.widget(wizard, "nextButton").click();
tesselon.setParameter("Simulated Tracker", "NeedleMotion", "Turning About Shaft");
tesselon.widget(wizard, "startStopButton").click();
tesselon.wait(4000);
tesselon.widget(wizard, "startStopButton").click();
tesselon.widget(wizard, "nextButton").click();
tesselon.screenshot("docs/wizard-flip.png", "Tracking Tool Calibration");
tesselon.widget(wizard, "nextButton").click();
tesselon.setParameter("Simulated Tracker", "NeedleMotion", "Hand-Held");

// Registering the example CT: the pointer tours the phantom's divots and each rest is taken by itself; the
// beads are clicked in the axial view.
tesselon.select(["tesselon-synthetic-ct", "Simulated Tracker"]);
var registration = tesselon.menu("Registration;Tracker-Volume Registration");
tesselon.choose(tesselon.widget(registration, "comboBox_tool"), "Pointer");
// Watching starts before the tour: a tip already resting when watching starts is not taken.
tesselon.widget(tool, "pushButton_startStop").click();
tesselon.widget(registration, "dwellCapture").checked = true;
tesselon.wait(500);
tesselon.setParameter("Simulated Tracker", "PointerMotion", "Visiting Divots");
var pairs = tesselon.widget(registration, "pairTable");
for (var waited = 0; pairs.rowCount < 8 && waited < 60000; waited += 500)
    tesselon.wait(500);
tesselon.widget(registration, "dwellCapture").checked = false;
[[104.3, 5, 20], [104.3, 45, 20], [104.3, 45, 0], [104.3, -5, 0],
 [-34.3, 45, 15], [-34.3, -5, 20], [-34.3, -5, 0], [-34.3, 45, 0]].forEach(function (d) {
    var bead = [d[0] - 35, -d[2] - 85, d[1] - 20];
    tesselon.centreSlices(bead);
    tesselon.widget(registration, "createSecond").click();
    tesselon.click(0, bead);
});
var volumeBefore = tesselon.matrix("tesselon-synthetic-ct");
tesselon.widget(registration, "pushButtonRegister").click();
// The lesion, where it went with the CT.
var m = tesselon.matrix("tesselon-synthetic-ct"), lesionBefore = [-30 - volumeBefore[12], -volumeBefore[13], 10 - volumeBefore[14]];
var lesion = [0, 1, 2].map(function (r) { return m[r] * lesionBefore[0] + m[4 + r] * lesionBefore[1] + m[8 + r] * lesionBefore[2] + m[12 + r]; });
tesselon.centreSlices(lesion);
tesselon.widget(registration, "pickTarget").click();
tesselon.click(0, lesion);
tesselon.widget(registration, "pairTable").selectRow(0);
tesselon.screenshot("docs/panel-registration.png", "Tracker-Volume Registration");

// Navigating the needle down the example's planned path: the navigation rings, then the bullseye view.
tesselon.setParameter("Simulated Tracker", "NeedleMotion", "Following Path");
tesselon.select("Simulated Tracker");
var navigation = tesselon.menu("Visualization;Navigation Visualization");
tesselon.choose(tesselon.widget("Tool Visualization", "comboBox_tool"), "Needle");
tesselon.widget("Tool Visualization", "pushButton_startStop").click();
tesselon.choose(tesselon.widget(navigation, "comboBox_splines"), "Planned path");
tesselon.widget(navigation, "pushButton_selectSpline").click();
tesselon.choose(tesselon.widget(navigation, "comboBox_link"), "Needle side");
tesselon.wait(3500);
tesselon.screenshot("docs/panel-navigation.png", "Navigation Visualization");
tesselon.screenshot("docs/view-navigation.png");
tesselon.widget(navigation, "closePanel").click();
tesselon.wait(200);

tesselon.select(["Simulated Tracker", "tesselon-synthetic-ct"]);
var bullseye = tesselon.menu("Visualization;Bullseye Visualization");
tesselon.choose(tesselon.widget("Tool Visualization", "comboBox_tool"), "Needle");
tesselon.widget("Tool Visualization", "pushButton_startStop").click();
tesselon.widget(bullseye, "pushButton_startStop").click();
tesselon.wait(3000);
tesselon.screenshot("docs/panel-bullseye.png", "Bullseye Visualization");
tesselon.screenshot("docs/view-bullseye.png");
