<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>GreyHistogramDialog</name>
    <message>
        <source>Histogram</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GreyHistogramTool</name>
    <message>
        <source>Histogram</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GreyHistogramWidget</name>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Red</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Green</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line Peofile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Column Profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ROI Shape</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Local ROI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Global ROI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CenterX</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CenterY</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Width</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Height</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measure Position</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PosX</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PosY</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MinGrey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MaxGrey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AverageGrey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Std.Deviation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grey</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HistogramPlot</name>
    <message>
        <source>X-axis</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Column</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Gray: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Red: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Green: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Blue: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HistogramSubFrame</name>
    <message>
        <source>Enlarge</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Image2DWnd</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Cross</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Grid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Image3DWnd</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contour Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2D Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3D Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3D Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2D RangeImage Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grey Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3D Rendering</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1:1 Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageWnd</name>
    <message>
        <source>Frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Camera</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProfilePlot</name>
    <message>
        <source>Left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Right</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
