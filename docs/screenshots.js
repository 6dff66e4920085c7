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
