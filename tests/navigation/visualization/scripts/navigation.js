// Navigate the calibrated needle along the example's planned path: rings on the path for both spacings,
// the tip ring and target colours as the needle comes in off the plan and reaches the target, the camera in
// each link mode (gliding from ring to ring), and the planned-versus-actual read-out recorded to a file.
var tracker = "Simulated Tracker";
function near(a, b, tolerance) { return a.every(function (v, i) { return Math.abs(v - b[i]) <= tolerance; }); }
function along(from, to, u) { return from.map(function (v, i) { return v + u * (to[i] - v); }); }
function sub(a, b) { return a.map(function (v, i) { return v - b[i]; }); }
function norm(a) { return Math.sqrt(a.reduce(function (s, v) { return s + v * v; }, 0)); }
function unit(a) { var n = norm(a); return a.map(function (v) { return v / n; }); }
function column(m, k) { return m.slice(4 * k, 4 * k + 3); }
/// Samples the scene every 50 ms for up to `ms`, until `done(scene)` holds; returns whether it did.
function watch(ms, done) {
    for (var waited = 0; waited < ms; waited += 50) {
        tesselon.wait(50);
        if (done(panel.scene(), tesselon.camera()))
            return true;
    }
    return false;
}

// The example's needle comes calibrated, tip and axis.
tesselon.check(tesselon.calibration(tracker, "Needle") !== null, "the needle is calibrated");

tesselon.setParameter(tracker, "NeedleMotion", "Following Path");
tesselon.select(tracker);
var panel = tesselon.menu("Visualization;Navigation Visualization");
function widget(name) { return tesselon.widget(panel, name); }
tesselon.check(tesselon.panels().some(function (p) { return p.title === "Tool Visualization"; }),
               "the tool panel is shown beside the navigation panel");
tesselon.choose(tesselon.widget("Tool Visualization", "comboBox_tool"), "Needle");
tesselon.widget("Tool Visualization", "pushButton_startStop").click();

var plan = tesselon.annotations().filter(function (a) { return a.name === "Planned path"; })[0].points;
var entry = plan[0], target = plan[plan.length - 1];
tesselon.choose(widget("comboBox_splines"), "Planned path");
widget("pushButton_selectSpline").click();
function ringsAt(coordinates) {
    var rings = panel.scene().rings;
    return rings.length === coordinates.length && rings.every(function (ring, i) {
        return near(ring.centre, along(entry, target, coordinates[i]), 1e-6);
    });
}
var ten = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9];
tesselon.check(ringsAt(ten.map(function (i) { return i / 10; })), "ten rings every tenth of the path");
widget("comboBox_separation").currentIndex = 1;
tesselon.check(ringsAt(ten.map(function (i) { return Math.log(1 + i) / Math.log(11); })),
               "exponential spacing packs them towards the target");
widget("spinBox_number").value = 4;
tesselon.check(ringsAt([0, 1, 2, 3].map(function (i) { return Math.log(1 + i) / Math.log(5); })),
               "four rings, still exponential");
widget("comboBox_separation").currentIndex = 0;
widget("spinBox_number").value = 10;

// A 1 mm target makes the tip ring 1.5 mm wide: the needle entering 2 mm off the plan is outside it,
// converging it comes inside, and at the target it is inside the sphere.
widget("doubleSpinBox_radius").value = 1;
var seen = {};
watch(12000, function (scene) {
    var tip = scene.tipRing.color.join(), sphere = scene.target.color.join();
    var expected = [["1,0,0", "1,1,1"], ["0,1,0", "1,1,1"], ["0,1,0", "0,1,1"]][scene.state];
    tesselon.check(tip === expected[0] && sphere === expected[1],
                   "state " + scene.state + " shows tip ring " + tip + " and target " + sphere);
    seen[scene.state] = true;
    return seen[0] && seen[1] && seen[2];
});
tesselon.check(seen[0] && seen[1] && seen[2], "off the path, in the tip ring and in the target: " + JSON.stringify(seen));
widget("doubleSpinBox_radius").value = 10;

// Needle tip: the camera 1 mm behind the tip, looking along the needle.
widget("comboBox_link").currentIndex = 1;
tesselon.wait(200);
var tool = panel.scene().tool, camera = tesselon.camera();
tesselon.check(near(column(camera, 3), sub(column(tool, 3), column(tool, 2)), 1e-6) &&
               near(column(camera, 2), column(tool, 2), 1e-6), "the camera rides on the needle's tip");
// A rotation offset of 90° turns the tool and the camera about the needle's axis.
widget("spinBox_rotOffset").value = 90;
tesselon.wait(200);
var turned = panel.scene().tool;
tesselon.check(near(column(turned, 0), column(tool, 1), 0.01) && near(column(turned, 2), column(tool, 2), 0.01) &&
               near(column(tesselon.camera(), 0), column(turned, 0), 1e-6), "the offset turns tool and camera");
widget("spinBox_rotOffset").value = 0;
// Needle side: 30 mm up the shaft.
widget("comboBox_link").currentIndex = 2;
tesselon.wait(200);
tool = panel.scene().tool;
camera = tesselon.camera();
var up = sub(column(camera, 3), column(tool, 3));
tesselon.check(Math.abs(norm(up) - 30) < 1e-6 && near(unit(up), column(camera, 2), 1e-6),
               "the camera stands 30 mm up the shaft: " + norm(up));
// Rings: on the path, looking at the target, gliding from one ring to the next.
widget("comboBox_link").currentIndex = 3;
tesselon.wait(200);
tesselon.check(!widget("spinBox_number").enabled, "the rings stay put while the camera rides on them");
var backwards = unit(sub(entry, target)), ringCentres = panel.scene().rings.map(function (r) { return r.centre; });
var onRing = 0, between = 0;
watch(10000, function (scene, camera) {
    var position = column(camera, 3);
    var u = norm(sub(position, entry)) / norm(sub(target, entry));
    tesselon.check(near(position, along(entry, target, u), 1e-6) && near(column(camera, 2), backwards, 1e-6),
                   "the camera stays on the path looking at the target");
    if (ringCentres.some(function (c) { return near(c, position, 1e-6); }))
        ++onRing;
    else
        ++between;
    return onRing > 2 && between > 2;
});
tesselon.check(onRing > 2 && between > 2, "on rings " + onRing + " times, gliding " + between + " times");
// None: the camera is the user's again.
widget("comboBox_link").currentIndex = 0;
tesselon.wait(600);  // a glide under way ends first
camera = tesselon.camera();
tesselon.wait(300);
tesselon.check(near(tesselon.camera(), camera, 0), "without a link the camera stays where it is");
tesselon.check(widget("spinBox_number").enabled, "and the rings can change again");

// Planned versus actual, and its recording.
var readout = widget("label_readout").text;
tesselon.check(/^Depth -?\d+\.\d mm · off path \d+\.\d mm · angle \d+\.\d° · projected miss/.test(readout),
               "the read-out: " + readout);
widget("lineEdit_readoutFile").text = "/tmp/tesselon-navigation-readout-" + Date.now() + ".csv";
var record = widget("pushButton_recordReadout");
record.click();
tesselon.check(record.checked && record.text === "Stop recording", "Record turns into Stop recording");
tesselon.wait(2000);
record.click();
var rows = widget("groupBox_readout").recordedRows;
tesselon.check(rows > 0 && record.text === "Record", "rows recorded: " + rows);
tesselon.wait(300);
tesselon.check(widget("groupBox_readout").recordedRows === rows, "and none after Stop recording");

// Closing the panel takes its tool panel and everything it drew with it.
widget("closePanel").click();
tesselon.wait(100);
var open = tesselon.panels().map(function (p) { return p.title; });
tesselon.check(open.indexOf("Navigation Visualization") < 0 && open.indexOf("Tool Visualization") < 0,
               "closing leaves " + open.join(", "));
