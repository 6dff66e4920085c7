// A failing step stops the script with its file and line, and the program fails.
tesselon.select("Simulated Tracker");
tesselon.menu("Visualization;No Such Visualization");
tesselon.quit(0);
