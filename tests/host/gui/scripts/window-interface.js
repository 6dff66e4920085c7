// The script interface on the real window: a File entry, the data list, an algorithm menu, a panel's
// widgets and parameters, a tracker's instruments and the log.
var before = tesselon.data();
var trackerPanel = tesselon.menu("File;Connect Simulated Tracker");
tesselon.check(tesselon.widget(trackerPanel, "record").text === "Record", "the new tracker has its own panel");
var data = tesselon.data();
var tracker = data[data.length - 1];
tesselon.check(data.length === before.length + 1 && tracker.kind === "TrackingStream",
               "the connected tracker joins the data: " + JSON.stringify(data));

// The new tracker shares its name with the example session's: its entry of data() names it alone.
tesselon.select(tracker, "tesselon-synthetic-ct");
var panel = tesselon.menu("Visualization;Bullseye Visualization");
var shown = tesselon.panels().filter(function (p) { return p.title === "Bullseye Visualization"; });
tesselon.check(shown.length === 1 && shown[0].algorithm === "Navigation.BullseyeVisualization",
               "panels() lists the new panel with its algorithm");

// An edit in a panel reaches its algorithm, here in the tool panel the new one shows under its own title;
// a parameter the script sets is the algorithm's.
tesselon.widget("Tool Visualization", "checkBox_linkViews").checked = false;
tesselon.check(tesselon.parameter("Tool Visualization", "linkMPRs") === false, "the unticked box is the algorithm's");
tesselon.check(tesselon.setParameter("Bullseye Visualization", "viewDistance", 123.5) === 123.5,
               "setParameter returns the value taken");
tesselon.check(tesselon.parameter(panel, "viewDistance") === 123.5, "the value set is the algorithm's");

// The simulated tools move: two samples a little apart differ.
tesselon.wait(200);
var first = tesselon.instruments(tracker);
tesselon.wait(200);
var second = tesselon.instruments(tracker.index);
tesselon.check(first.length >= 3 && first.every(function (i) { return i.pose.length === 16 && i.pose[15] === 1; }),
               "every instrument has a 4x4 pose: " + JSON.stringify(first[0]));
tesselon.check(first[0].position[0] === first[0].pose[12], "the pose is column-major");
tesselon.check(second.some(function (i, n) { return i.position.join() !== first[n].position.join(); }),
               "the tools moved during the wait");

tesselon.check(tesselon.log().indexOf('[info] Session: Added "' + tracker.name + '" to the data.') >= 0,
               "the log holds the connection");
