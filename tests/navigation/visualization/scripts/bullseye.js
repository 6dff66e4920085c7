// The bullseye view on the example CT's planned line: Start builds it and looks down the line from beyond
// the target, the figures follow the needle along its path, Stop hides the view and Start shows it again;
// once the line is gone, Start in a second panel builds nothing.
function near(a, b) { return a.every(function (x, i) { return Math.abs(x - b[i]) < 1e-6; }); }
var scene = ["Bullseye path", "Bullseye tool tip", "Bullseye", "Bullseye tool ring"];
function sceneVisibility() {
    var objects = tesselon.viewObjects();
    return scene.map(function (name) {
        var found = objects.filter(function (o) { return o.name === name; });
        return found.length === 1 ? found[0].visible : "missing";
    }).join();
}

var ct = "tesselon-synthetic-ct";
var line = tesselon.annotations(ct).filter(function (a) { return a.kind === "line"; })[0];
var a = line.points[0], b = line.points[1];
var length = Math.hypot(b[0] - a[0], b[1] - a[1], b[2] - a[2]);
var direction = [0, 1, 2].map(function (i) { return (b[i] - a[i]) / length; });

tesselon.setParameter("Simulated Tracker", "NeedleMotion", "Following Path");
tesselon.select("Simulated Tracker", ct);
var panel = tesselon.menu("Visualization;Bullseye Visualization");
var startStop = tesselon.widget(panel, "pushButton_startStop");
startStop.click();
tesselon.check(startStop.text === "Stop", "Start with a line starts the view");
tesselon.check(sceneVisibility() === "true,true,true,true", "the scene is in the 3D view: " + sceneVisibility());
var camera = tesselon.camera();
var eye = [0, 1, 2].map(function (i) { return b[i] + 250 * direction[i]; });
tesselon.check(near(camera.slice(12, 15), eye) && near(camera.slice(8, 11), direction),
               "the camera stands 250 mm beyond the target looking back along the line: " + camera);

tesselon.choose(tesselon.widget("Tool Visualization", "comboBox_tool"), "Needle");
tesselon.widget("Tool Visualization", "pushButton_startStop").click();
var readout = tesselon.widget(panel, "label_readout");
tesselon.wait(300);
var before = readout.text;
tesselon.wait(300);
tesselon.check(/^Depth -?\d+\.\d mm · off path \d+\.\d mm/.test(before) && readout.text !== before,
               "the figures follow the needle: " + before + " | " + readout.text);

startStop.click();
tesselon.check(startStop.text === "Start" && sceneVisibility() === "false,false,false,false",
               "Stop hides the scene: " + sceneVisibility());
startStop.click();
tesselon.check(sceneVisibility() === "true,true,true,true" && near(tesselon.camera(), camera),
               "Start shows it again from the same place");

tesselon.removeAnnotation(line.name);
var shown = tesselon.viewObjects().length;
var second = tesselon.menu("Visualization;Bullseye Visualization");
tesselon.widget(second, "pushButton_startStop").click();
tesselon.check(tesselon.log().indexOf(
                   "[error] BullseyeVisualizationController: No line annotation attached to input image") >= 0,
               "Start without a line says so");
tesselon.check(tesselon.widget(second, "pushButton_startStop").text === "Start" &&
                   tesselon.viewObjects().length === shown, "and builds nothing");
