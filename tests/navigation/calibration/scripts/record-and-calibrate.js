// Pivot the simulated needle, record it from the tracker's panel, calibrate the recording, and turn the
// result by half a turn and back.

tesselon.setParameter("Simulated Tracker", "NeedleMotion", "Pivoting About Tip");
tesselon.choose(tesselon.widget("Simulated Tracker", "recordInstrument"), "Needle");
tesselon.widget("Simulated Tracker", "record").click();
tesselon.wait(3000);
tesselon.widget("Simulated Tracker", "stopRecording").click();
var recording = tesselon.data().filter(function (d) { return d.kind === "TrackingSequence"; });
tesselon.check(recording.length === 1, "the recording joins the data: " + JSON.stringify(tesselon.data()));

tesselon.select(recording[0]);
var calibration = tesselon.menu("Streaming;Tool Calibration");
tesselon.widget(calibration, "compute").click();
var status = tesselon.widget(calibration, "status").text;
var result = tesselon.widget(calibration, "result").text;
tesselon.check(status === "Done.", "the pivoting recording calibrates: " + status);
tesselon.check(/Tip offset: \(/.test(result) && /Residuals: RMS 0\.\d\d mm/.test(result),
               "the panel shows the tip and sub-millimetre residuals: " + result);

var flip = tesselon.widget(calibration, "flip");
tesselon.widget(calibration, "rotate180").click();
tesselon.check(flip.checked && tesselon.parameter(calibration, "flip") === true, "Rotate 180 sets flip");
tesselon.widget(calibration, "rotate180").click();
tesselon.check(!flip.checked && tesselon.widget(calibration, "result").text === result,
               "a second Rotate 180 restores the calibration");
